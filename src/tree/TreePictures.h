#pragma once

#include "widgets/OutlineGridImageList.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The pictures of the call-flow tree's rows, by node type.

// The picture key of a node type; empty for a type that has none (the picture is then left alone).
QString treePictureKey(qint16 nodeType);
QStringList treePictureKeys();
// Every key's picture, drawn from the SVG files built into the program. A picture that cannot be
// read is left out; its rows then show no picture.
OutlineGridImageList treePictures(int size = 16);
