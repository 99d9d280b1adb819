#pragma once

#include "actions/ChosenLink.h"

#include <QString>
#include <optional>

class LinkPopUpMenu;
class LinkPopUpState;
class LinkRefresh;
class Recordset;
class SharedState;
class StepErrors;

// The popup's commands on the keys of a call handler: ignore or skip one key, lock or unlock one
// key, lock or unlock all twelve. They work on the key row the popup was opened for.
class KeyCommands {
public:
    KeyCommands(SharedState& state, LinkPopUpState& popUpState, LinkPopUpMenu& menu, LinkRefresh& refresh);

    void LinkIgnoreKey_Click();
    void LinkSkipGreeting_Click();
    void LinkLockKey_Click();
    void linkLockAllKeys_Click();
    void linkUnlockAllKeys_Click();

private:
    struct Entry {
        ChosenLink link;
        QString parentAlias;
    };
    // The row's key entry current in rsMenuentry, narrowed to its handler's entries; none after
    // the guard's message or the error's.
    std::optional<Entry> findEntry(const QString& routine, const StepErrors& errors);
    void setKeyAction(const QString& routine, qint16 action);
    void lockAll(const QString& routine, const QString& procedure, bool locked);

    SharedState& m_state;
    LinkPopUpState& m_popUpState;
    LinkPopUpMenu& m_menu;
    LinkRefresh& m_refresh;
};
