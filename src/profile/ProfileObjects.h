#pragma once

#include "runtime/ErrorHandling.h"
#include "runtime/Variant.h"

#include <QString>
#include <functional>

class ObjectListOperations;
class PaneOperations;
class Recordset;
class SharedState;
class TreeOperations;

// The objects the profile editors change: the one each pane page shows, found by its id in its
// cached recordset whatever the tree, the lookups or the object list left current there.
class ProfileObjects {
public:
    // A subscriber is edited through its own call handler.
    enum class Kind { CallHandler, Subscriber, Interviewer, DirectoryHandler };

    ProfileObjects(SharedState& state, PaneOperations& pane);
    // Either may be missing; its redraw is then left out.
    void connectTo(TreeOperations* tree, ObjectListOperations* objectList);

    SharedState& state() { return m_state; }
    PaneOperations& pane() { return m_pane; }

    // The id of the object the kind's page shows; empty while it shows none or a load runs, when
    // nothing may be written.
    QString editedId(Kind kind) const;
    Recordset& recordset(Kind kind) const;
    // The change log's table name of the kind.
    static QString tableName(Kind kind);
    // Makes the object the current row of its recordset; raises "no current record" when it is
    // gone.
    void positionOn(Kind kind, const QString& id) const;
    // Sets columns of the object's row and updates it. A failure shows its message and leaves the
    // row as the database holds it; false then.
    bool write(Kind kind, const QString& id, const StepErrors& errors, const std::function<void()>& set) const;
    // A box that agrees with the column's stored value (typed into agreement with what another
    // program stored, or shown again after a refusal) now shows that value: the next write of the
    // column is checked against it. `agrees`, when given, tells from the stored value whether the
    // box does. Never fails.
    void showsStored(Kind kind, const QString& id, const QString& column,
                     const std::function<bool(const Variant& stored)>& agrees = {}) const;
    // One change line: "UPDATE", the kind's table, the object's alias, no parent, the column and
    // the value.
    void log(Kind kind, const QString& column, const Variant& value) const;
    // Redraws the tree rows that show the object and, when asked, the object list; the object is
    // the current row of its recordset again afterwards.
    void redraw(Kind kind, const QString& id, bool objectList) const;

private:
    SharedState& m_state;
    PaneOperations& m_pane;
    TreeOperations* m_tree = nullptr;
    ObjectListOperations* m_objectList = nullptr;
};
