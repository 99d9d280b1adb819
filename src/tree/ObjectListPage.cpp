#include "tree/ObjectListPage.h"

#include "data/SharedState.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QTableView>

ObjectListPage::ObjectListPage(SharedState& state, QWidget* parent)
    : QWidget(parent),
      m_state(state)
{
    cmbShowObjectType = named(new QComboBox(this), "cmbShowObjectType");
    cmbShowObjectType->addItems({QStringLiteral("Call Handlers"), QStringLiteral("Subscribers"),
                                 QStringLiteral("Interview Handlers"), QStringLiteral("Directory Handlers")});
    cmbShowObjectType->setCurrentIndex(-1);
    cmbShowObjectType->setAccessibleName(QStringLiteral("Object type"));
    Twips::place(cmbShowObjectType, 50, 660, 3315, 315);
    gridObjects = named(new QTableView(this), "gridObjects");
    Twips::place(gridObjects, 50, 1140, 4875, 6375);
    gridObjects->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridObjects->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void ObjectListPage::LoadGridView()
{
    // The list's queries come with the object list.
}

void ObjectListPage::ChooseObjectType(int index)
{
    cmbShowObjectType->setCurrentIndex(index);
}
