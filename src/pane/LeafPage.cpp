#include "pane/LeafPage.h"

#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QLineEdit>

LeafPage::LeafPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("LeafPage"));
    auto* label = named(new QLabel(QStringLiteral("Leaf Node Action:"), this), "lblLeafAction");
    Twips::place(label, 240, 360, 2000, 255);
    label->resize(label->size().expandedTo(label->sizeHint()));
    txtLeafAction = named(new QLineEdit(this), "txtLeafAction");
    txtLeafAction->setReadOnly(true);
    label->setBuddy(txtLeafAction);
    Twips::place(txtLeafAction, 240, 660, 5000, 315);
}
