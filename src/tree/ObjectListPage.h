#pragma once

#include "db/Query.h"
#include "tree/TreeOperations.h"

#include <QWidget>
#include <memory>

class BoundGrid;
class DialogOperations;
class PaneOperations;
class QAction;
class QComboBox;
class QMenu;
class SharedState;

// The "Grid View" tab: the object-type list `cmbShowObjectType` and the object list `gridObjects`,
// every call handler, subscriber, interview handler or directory handler of the site. Making an
// entry current shows it in the property pane and the references panel; a call handler or a
// subscriber can become the root of a new tree. The entry stays current through reloads and
// sorts of the list.
//
// The list's columns are numbered as the program has always numbered them (0 the hidden fixed
// column, the query's columns from 1); the entry's id is column 4, or 8 for the subscriber list.
class ObjectListPage : public QWidget, public ObjectListOperations {
    Q_OBJECT
public:
    // cmbShowObjectType's indexes.
    enum ListKind { CallHandlers = 0, Subscribers = 1, InterviewHandlers = 2, DirectoryHandlers = 3 };

    explicit ObjectListPage(SharedState& state, QWidget* parent = nullptr);
    ~ObjectListPage() override;

    // Any may be missing; their steps are then left out. Without dialogs "Create a new call
    // handler" does nothing.
    void connectTo(TreeOperations* tree, PaneOperations* pane, ReferencesOperations* references, TreeWindow* window,
                   DialogOperations* dialogs);

    void LoadGridView() override;
    void ChooseObjectType(int index) override;
    void readListAhead(int index) override;
    void readListAhead(int index, QueryReadAhead::Launch launch);

    void cmbShowObjectType_Click();
    void gridObjects_RowColChange();
    void gridObjects_GotFocus();
    void gridObjects_DblClick();
    void gridObjects_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, const QPoint& globalPos);
    void gridHandlerSetAsNewTreeRoot_Click();
    void gridSubscriberSetAsNewTreeRoot_Click();
    void gridHandlerCreateNewHandler_Click();

    // The list's query of a kind; empty for any other index.
    static QString listQuery(int listKind);

private:
    struct Key {
        int idColumn;
        qint16 nodeType;
    };
    static const Key* keyOf(int listKind);
    // The current entry's id by the kind's id column; empty when no entry is current.
    QString currentId(int idColumn) const;
    // The row whose id column holds the id, compared without regard to case; -1 for none.
    int rowOf(int idColumn, const QString& id) const;
    void rememberEntry();
    // Makes the entry made current last current again, when the list of its kind holds it,
    // without showing it again.
    void putEntryBack();
    void startTreeAt(int idColumn, qint16 nodeType);

    SharedState& m_state;
    TreeOperations* m_tree = nullptr;
    PaneOperations* m_pane = nullptr;
    ReferencesOperations* m_references = nullptr;
    TreeWindow* m_window = nullptr;
    DialogOperations* m_dialogs = nullptr;
    struct Entry {
        int kind = -1;
        QString id;
    };
    Entry m_entry; // the entry made current last
    bool m_puttingEntryBack = false;
    // The list of one kind read ahead, kept as a cache of its rows while they are current: the
    // start-up loads the list twice.
    int m_readAheadKind = -1;
    std::unique_ptr<QueryReadAhead> m_readAhead;

    QComboBox* cmbShowObjectType;
    BoundGrid* gridObjects;
    QMenu* GridHandlerPopUpMenu;
    QAction* gridHandlerSetAsNewTreeRoot;
    QAction* gridHandlerCreateNewHandler;
    QMenu* gridSubscriberPopUpMenu;
    QAction* gridSubscriberSetAsNewTreeRoot;
};
