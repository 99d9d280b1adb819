#include "tree/ReferencesPanel.h"

#include "data/SharedState.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

ReferencesPanel::ReferencesPanel(SharedState& state, QWidget* parent)
    : QGroupBox(QStringLiteral("References to this object"), parent),
      m_state(state)
{
    setObjectName(QStringLiteral("frameLinks"));
    lblSubscriberReferences = named(new QLabel(QStringLiteral("Subscribers"), this), "lblSubscriberReferences");
    Twips::place(lblSubscriberReferences, 120, 240, 915, 195);
    gridSubscriberReferences = named(new QTableWidget(this), "gridSubscriberReferences");
    Twips::place(gridSubscriberReferences, 60, 480, 6465, 1515);
    lblCallHandlerReferences = named(new QLabel(QStringLiteral("Call Handlers"), this), "lblCallHandlerReferences");
    Twips::place(lblCallHandlerReferences, 60, 2040, 1095, 195);
    gridCallHandlerReferences = named(new QTableWidget(this), "gridCallHandlerReferences");
    Twips::place(gridCallHandlerReferences, 60, 2280, 6465, 1515);
    // A face wider than the one the panes were measured for still shows the whole caption.
    for (QLabel* label : {lblSubscriberReferences, lblCallHandlerReferences})
        label->resize(label->size().expandedTo(label->sizeHint()));
    lblSubscriberReferences->setBuddy(gridSubscriberReferences);
    lblCallHandlerReferences->setBuddy(gridCallHandlerReferences);
    for (QTableWidget* grid : {gridSubscriberReferences, gridCallHandlerReferences}) {
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->verticalHeader()->hide();
    }
}

void ReferencesPanel::ClearReferences()
{
    gridSubscriberReferences->setRowCount(0);
    gridCallHandlerReferences->setRowCount(0);
}
