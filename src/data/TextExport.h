#pragma once

#include <QString>
#include <QStringList>

class SharedState;
class StepErrors;

// The text files the program writes for the administrator (exports): UTF-8, every line ended by
// CR LF.
inline const QString kExportLineEnd = QStringLiteral("\r\n");

// The lines, each ended by CR LF.
QString exportLines(const QStringList& lines);

// Writes the text as the whole file, replacing one of that name; the file appears under its name
// only once it is complete. A failure is reported through errors; true only when the whole file
// was written, so that the caller says "complete" only then.
bool writeExportFile(SharedState& state, const QString& path, const QString& text, const StepErrors& errors);
