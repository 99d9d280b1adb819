#pragma once

#include "actions/ActionEditing.h"
#include "actions/FixedActionCommands.h"
#include "actions/KeyCommands.h"
#include "actions/LinkPopUpMenu.h"
#include "actions/LinkPopUpState.h"
#include "actions/LinkWriter.h"
#include "data/ChangeLog.h"
#include "tree/TreeFixture.h"

#include <QApplication>
#include <QSet>

// The demo site's main window, started, with the action popup and helpers to set links in the
// database and to read the popup's items and the change log.
class ActionsFixture : public TreeFixture {
public:
    explicit ActionsFixture(DialogOperations* dialogs = nullptr)
        : TreeFixture(dialogs)
    {
        EXPECT_TRUE(load());
    }

    ActionEditing& actions() { return f.program->actions(); }
    LinkPopUpMenu& menu() { return actions().menu(); }
    FixedActionCommands& fixed() { return actions().fixedActions(); }
    KeyCommands& keys() { return actions().keyCommands(); }
    LinkPopUpState& popUpState() { return actions().popUpState(); }

    QString idOf(const char* table, const char* keyColumn, const QString& alias) const
    {
        return f.site.scalar(QString("SELECT %1 FROM %2 WHERE Alias = ?").arg(keyColumn, table), {alias}).toText();
    }
    QString ownHandlerOf(const QString& subscriberAlias) const
    {
        return f.site
            .scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE IsPrimary = 1 AND RecipientObjectID = ?",
                    {subscriberId(subscriberAlias)})
            .toText();
    }

    // A key's whole link and lock, as another tool would store it.
    void storeKey(const QString& handlerAlias, const QString& key, const Variant& action, const Variant& conversation,
                  const Variant& destination, const Variant& type, int locked = 0) const
    {
        f.site.execute("UPDATE MenuEntry SET Action = ?, ConversationName = ?, DestinationObjectID = ?, "
                       "DestinationObjectIDType = ?, Locked = ? "
                       "WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = ?) AND Alias = ?",
                       {action, conversation, destination, type, locked, handlerAlias, key});
    }
    // A key's stored link and lock: "action|conversation|destination|type|locked", Null as "<null>".
    QString keyRow(const QString& handlerAlias, const QString& key) const
    {
        return f.site
            .scalar("SELECT coalesce(Action, '<null>') || '|' || coalesce(ConversationName, '<null>') || '|' || "
                    "coalesce(DestinationObjectID, '<null>') || '|' || coalesce(DestinationObjectIDType, '<null>') || '|' || "
                    "coalesce(Locked, '<null>') FROM MenuEntry WHERE Alias = ? AND ParentObjectID = "
                    "(SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = ?)",
                    {key, handlerAlias})
            .toText();
    }
    // Any table's link columns of one row: "action|conversation|destination|type".
    QString linkColumns(const QString& table, const QString& prefix, const QString& where, const QString& id,
                        const QString& conversationColumn = "Conversation", const QString& destination = "ObjectID") const
    {
        const QString sql = QString("SELECT coalesce(%1Action, '<null>') || '|' || coalesce(%1%2, '<null>') || '|' || "
                                    "coalesce(%1%3, '<null>') || '|' || coalesce(%1%3Type, '<null>') FROM %4 WHERE %5 = ?")
                                .arg(prefix, conversationColumn, destination, table, where);
        return f.site.scalar(sql, {id}).toText();
    }

    // The row made current as a selection does: the row change runs.
    void select(int r)
    {
        ASSERT_GE(r, 0);
        grid().setRow(r);
        QApplication::processEvents();
    }

    QStringList checkedItems()
    {
        QStringList names;
        for (QAction* a : menu().items())
            if (a->isChecked())
                names << a->objectName();
        return names;
    }
    QStringList hiddenItems()
    {
        QStringList names;
        for (QAction* a : menu().items())
            if (!a->isVisible())
                names << a->objectName();
        return names;
    }

    QStringList updateLines() const { return f.changeLogUpdates(); }
    QString keyLine(const QString& key, const QString& parentAlias, const QString& column, const QString& value) const
    {
        return ChangeLogLine(f.clock.now(), "UPDATE", "MenuEntry", key, "CallHandler", parentAlias, column, value);
    }
    QString line(const QString& table, const QString& alias, const QString& column, const QString& value) const
    {
        return ChangeLogLine(f.clock.now(), "UPDATE", table, alias, std::nullopt, std::nullopt, column, value);
    }
};
