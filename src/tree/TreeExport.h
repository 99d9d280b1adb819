#pragma once

#include "widgets/OutlineGrid.h"

#include <QObject>
#include <QString>

class QAction;
class QDateTime;
class SharedState;

// File > "Export tree information to file": the call-flow tree as it is shown, written to a text
// file the administrator chooses. It reads only the tree's rows; rows never opened are not read
// from the database for it.
class TreeExport : public QObject {
public:
    TreeExport(SharedState& state, const OutlineGrid& grid, QObject* parent = nullptr);

    // The File menu item `ExportTree`.
    void connectTo(QAction* exportTree);

    void ExportTree_Click();

    // The file's text: the header with the date and time, an empty line, then one line per shown
    // row in tree order, 6 blanks per level, a closed row with children marked by "+" as its last
    // indent character. Lines end with CR LF. Raises the grid's error when there is no root row.
    static QString exportText(const OutlineGrid& grid, const QDateTime& now);

private:
    static void ExportTreeNode(const OutlineGrid::Node& node, int depth, QString& out);

    SharedState& m_state;
    const OutlineGrid& m_grid;
};
