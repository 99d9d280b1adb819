#include "actions/KeyCommands.h"

#include "actions/LinkPopUpMenu.h"
#include "actions/LinkPopUpState.h"
#include "actions/LinkRefresh.h"
#include "actions/RecordsetSpot.h"
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "db/RowUpdate.h"
#include "runtime/ErrorHandling.h"

#include <QAction>

namespace {

const QString kAlias = QStringLiteral("Alias");
const QString kMenuEntryObjectID = QStringLiteral("MenuEntryObjectID");
const QString kLocked = QStringLiteral("Locked");
const QString kUpdate = QStringLiteral("UPDATE");
const QString kMenuEntry = QStringLiteral("MenuEntry");
const QString kCallHandler = QStringLiteral("CallHandler");
constexpr int kKeysOfAHandler = 12;

bool isLocked(const Variant& value)
{
    return isFlagSet(value);
}

} // namespace

KeyCommands::KeyCommands(SharedState& state, LinkPopUpState& popUpState, LinkPopUpMenu& menu, LinkRefresh& refresh)
    : m_state(state),
      m_popUpState(popUpState),
      m_menu(menu),
      m_refresh(refresh)
{
}

std::optional<KeyCommands::Entry> KeyCommands::findEntry(const QString& routine, const StepErrors& errors)
{
    const std::optional<ChosenLink> link = m_popUpState.treeRowLink();
    if (!link)
        return std::nullopt;
    RecordsetCache& cache = m_state.cache;
    Recordset& keys = cache.rsMenuentry;
    int count = 0;
    if (!runStep(m_state.prompts, errors, [&] {
            keys.setFilter(QStringLiteral("ParentObjectID"), link->ownerId);
            count = keys.recordCount();
        }))
        return std::nullopt;
    if (count > kKeysOfAHandler) {
        m_state.prompts.msgBox(QStringLiteral("Error in ") + routine
                               + QStringLiteral(" routing - rsMenuentry recordset does not have a proper filter on."));
        return std::nullopt;
    }
    Entry entry{*link, QString()};
    const bool found = runStep(m_state.prompts, errors, [&] {
        keys.moveFirst();
        if (link->recordId.isEmpty())
            keys.find(kAlias, link->selector);
        else
            keys.find(kMenuEntryObjectID, link->recordId);
        keys.field(kMenuEntryObjectID); // no current record: the entry is gone
        RecordsetSpot handlerSpot(cache.rsCallHandler, QStringLiteral("CallHandlerObjectID"));
        Recordset& ch = cache.rsCallHandler;
        ch.moveFirst();
        ch.find(QStringLiteral("CallHandlerObjectID"), link->ownerId);
        entry.parentAlias = ch.field(kAlias).textOrEmpty();
    });
    if (!found)
        return std::nullopt;
    return entry;
}

void KeyCommands::setKeyAction(const QString& routine, qint16 action)
{
    const QString prefix = QStringLiteral("Error in ") + routine + QLatin1Char(':');
    const std::optional<Entry> entry = findEntry(routine, StepErrors(prefix));
    if (!entry)
        return;
    Recordset& keys = m_state.cache.rsMenuentry;
    const QString columns[] = {QStringLiteral("Action"), QStringLiteral("ConversationName"), QStringLiteral("DestinationObjectID"),
                               QStringLiteral("DestinationObjectIDType")};
    const bool stored = runStep(m_state.prompts, StepErrors(prefix), [&] {
        updateRow(keys, [&] {
            keys.setField(columns[0], Variant(int(action)));
            keys.setField(columns[2], Variant::null());
            keys.setField(columns[3], Variant::null());
            keys.setField(columns[1], Variant::null());
        });
    });
    if (!stored) {
        // The refused update has read the entry again: its rows show what another program stored.
        runStepSilently([&] {
            m_refresh.showStored(entry->link, LinkPlace::Key, entry->link.selector,
                                 LinkAsStored::read(keys, columns[0], columns[1], columns[2], columns[3]));
        });
        return;
    }
    runStep(m_state.prompts, StepErrors(prefix), [&] {
        const Variant alias = keys.field(kAlias);
        for (const char* column : {"Action", "ConversationName", "DestinationObjectIDType", "DestinationObjectID"})
            m_state.changeLog.LogChange(kUpdate, kMenuEntry, alias, kCallHandler, Variant(entry->parentAlias),
                                        QString::fromLatin1(column), keys.field(QString::fromLatin1(column)));
    });
    runStep(m_state.prompts, StepErrors(prefix), [&] {
        m_refresh.redrawAsLeaf(entry->link.ownerId, entry->link.selector, action);
        m_refresh.reloadCurrentRow();
    });
}

void KeyCommands::LinkIgnoreKey_Click()
{
    setKeyAction(QStringLiteral("LinkIgnoreKey_Click"), LinkAction::IgnoreKey);
}

void KeyCommands::LinkSkipGreeting_Click()
{
    setKeyAction(QStringLiteral("LinkSkipGreeting_Click"), LinkAction::SkipGreeting);
}

void KeyCommands::LinkLockKey_Click()
{
    const QString routine = QStringLiteral("LinkLockKey_Click");
    const QString prefix = QStringLiteral("Error in LinkLockKey_Click:");
    const std::optional<Entry> entry = findEntry(routine, StepErrors(prefix));
    if (!entry)
        return;
    Recordset& keys = m_state.cache.rsMenuentry;
    // The stored flag decides, not the item's mark, which may have been set for another row.
    const bool stored = runStep(m_state.prompts, StepErrors(prefix), [&] {
        updateRow(keys, [&] { keys.setField(kLocked, Variant(isLocked(keys.field(kLocked)) ? 0 : 1)); });
    });
    runStepSilently([&] { m_menu.LinkLockKey->setChecked(isLocked(keys.field(kLocked))); });
    if (!stored)
        return;
    runStep(m_state.prompts, StepErrors(prefix), [&] {
        const Variant locked = keys.field(kLocked);
        m_state.changeLog.LogChange(kUpdate, kMenuEntry, keys.field(kAlias), kCallHandler, Variant(entry->parentAlias), kLocked,
                                    Variant(strNumberText(isLocked(locked) ? 1 : 0)));
    });
}

void KeyCommands::lockAll(const QString& routine, const QString& procedure, bool locked)
{
    const StepErrors errors = StepErrors::shownAs(inProcedure(procedure, QStringLiteral("Form"), QStringLiteral("frmMain")));
    const std::optional<Entry> entry = findEntry(routine, errors);
    if (!entry)
        return;
    Recordset& keys = m_state.cache.rsMenuentry;
    QString current;
    bool allStored = runStep(m_state.prompts, errors, [&] {
        current = keys.field(kMenuEntryObjectID).textOrEmpty();
        keys.moveFirst();
        while (!keys.isEOF()) {
            // All twelve as stored, not only what a row or the popup showed of them.
            updateRow(
                keys, [&] { keys.setField(kLocked, Variant(locked ? 1 : 0)); }, Recordset::Unmarked::Expected);
            keys.moveNext();
        }
    });
    runStepSilently([&] {
        keys.moveFirst();
        keys.find(kMenuEntryObjectID, current);
        m_menu.LinkLockKey->setChecked(isLocked(keys.field(kLocked)));
    });
    // One line stands for all twelve: written only when all twelve were stored.
    if (allStored)
        m_state.changeLog.LogChange(kUpdate, kMenuEntry, Variant(QStringLiteral("All")), kCallHandler, Variant(entry->parentAlias),
                                    locked ? QStringLiteral("Locked") : QStringLiteral("UnLocked"),
                                    Variant(QStringLiteral("TRUE")));
}

void KeyCommands::linkLockAllKeys_Click()
{
    lockAll(QStringLiteral("LinkLockAllKeys_Click"), QStringLiteral("linkLockAllKeys_Click"), true);
}

void KeyCommands::linkUnlockAllKeys_Click()
{
    lockAll(QStringLiteral("LinkUnLockAllKeys_Click"), QStringLiteral("linkUnlockAllKeys_Click"), false);
}
