#include "profile/ProfileObjects.h"

#include "data/ChangeLog.h"
#include "data/SharedState.h"
#include "db/RowUpdate.h"
#include "pane/PaneOperations.h"
#include "tree/TreeOperations.h"

namespace {

const char* keyColumn(ProfileObjects::Kind kind)
{
    switch (kind) {
    case ProfileObjects::Kind::Interviewer:
        return "InterviewHandlerObjectID";
    case ProfileObjects::Kind::DirectoryHandler:
        return "NameLookupHandlerObjectID";
    default:
        return "CallHandlerObjectID";
    }
}

} // namespace

ProfileObjects::ProfileObjects(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane)
{
}

void ProfileObjects::connectTo(TreeOperations* tree, ObjectListOperations* objectList)
{
    m_tree = tree;
    m_objectList = objectList;
}

QString ProfileObjects::editedId(Kind kind) const
{
    if (m_pane.LoadInProgress())
        return QString();
    switch (kind) {
    case Kind::CallHandler:
        return m_pane.ShownCallHandlerID(EditorPage::CallHandler);
    case Kind::Subscriber:
        return m_pane.ShownCallHandlerID(EditorPage::Subscriber);
    case Kind::Interviewer:
        return m_pane.ShownInterviewHandlerID();
    case Kind::DirectoryHandler:
        return m_pane.ShownDirectoryHandlerID();
    }
    return QString();
}

Recordset& ProfileObjects::recordset(Kind kind) const
{
    switch (kind) {
    case Kind::Interviewer:
        return m_state.cache.rsInterviewHandler;
    case Kind::DirectoryHandler:
        return m_state.cache.rsNameLookupHandler;
    default:
        return m_state.cache.rsCallHandler;
    }
}

QString ProfileObjects::tableName(Kind kind)
{
    switch (kind) {
    case Kind::Interviewer:
        return QStringLiteral("InterviewHandler");
    case Kind::DirectoryHandler:
        return QStringLiteral("NameLookupHandler");
    default:
        return QStringLiteral("CallHandler");
    }
}

void ProfileObjects::positionOn(Kind kind, const QString& id) const
{
    Recordset& rs = recordset(kind);
    const QString key = QString::fromLatin1(keyColumn(kind));
    rs.moveFirst();
    rs.find(key, id);
    rs.field(key); // no current record when the object is gone
}

bool ProfileObjects::write(Kind kind, const QString& id, const StepErrors& errors, const std::function<void()>& set) const
{
    Recordset& rs = recordset(kind);
    return runStep(m_state.prompts, errors, [&] {
        positionOn(kind, id);
        updateRow(rs, set);
    });
}

void ProfileObjects::showsStored(Kind kind, const QString& id, const QString& column,
                                 const std::function<bool(const Variant& stored)>& agrees) const
{
    runStepSilently([&] {
        positionOn(kind, id);
        Recordset& rs = recordset(kind);
        if (!agrees || agrees(rs.field(column)))
            rs.markShown({column});
    });
}

void ProfileObjects::log(Kind kind, const QString& column, const Variant& value) const
{
    runStepSilently([&] {
        m_state.changeLog.LogChange(QStringLiteral("UPDATE"), tableName(kind), recordset(kind).field(QStringLiteral("Alias")),
                                    std::nullopt, std::nullopt, column, value);
    });
}

void ProfileObjects::redraw(Kind kind, const QString& id, bool objectList) const
{
    // The rows are those of the edited object, not of the tree's current row: an object picked
    // from the object list is not the tree's. Redrawing moves the shared rows, so the edited
    // object is found again after each step.
    if (m_tree)
        runStepSilently([&] { m_tree->UpdateAllInstancesOfOBjectInTree(id); });
    runStepSilently([&] { positionOn(kind, id); });
    if (objectList && m_objectList) {
        runStepSilently([&] { m_objectList->LoadGridView(); });
        runStepSilently([&] { positionOn(kind, id); });
    }
}
