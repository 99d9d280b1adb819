#pragma once

#include "tree/TreeOperations.h"

#include <QWidget>

class QComboBox;
class QTableView;
class SharedState;

// The "Grid View" tab: the object-type list `cmbShowObjectType` and the object list `gridObjects`.
class ObjectListPage : public QWidget, public ObjectListOperations {
    Q_OBJECT
public:
    explicit ObjectListPage(SharedState& state, QWidget* parent = nullptr);

    void LoadGridView() override;
    void ChooseObjectType(int index) override;

private:
    SharedState& m_state;
    QComboBox* cmbShowObjectType;
    QTableView* gridObjects;
};
