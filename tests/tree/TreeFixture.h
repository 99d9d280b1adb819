#pragma once

#include "fixtures/MainWindowFixture.h"
#include "tree/CallFlowTree.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

// Each switch of the tree's drawing as the view sees it: "off", or "on at row N" with the row
// current when drawing came back.
class RedrawLog {
public:
    explicit RedrawLog(OutlineGrid& grid)
    {
        QObject::connect(&grid, &OutlineGrid::redrawChanged, &m_context, [this, &grid](bool on) {
            switches << (on ? QStringLiteral("on at row %1").arg(grid.row()) : QStringLiteral("off"));
        });
    }

    QStringList switches;

private:
    QObject m_context;
};

// The main window on the demo site, started, with helpers to reach and open the tree's rows.
class TreeFixture {
public:
    // dialogs (may be null) stands in for the creation, search and lookup dialogs.
    explicit TreeFixture(DialogOperations* dialogs = nullptr)
    {
        f.dialogs = dialogs;
        f.build();
    }

    bool load() { return f.load(); }
    OutlineGrid& grid() { return f.treeGrid(); }
    CallFlowTree& tree() { return f.tree(); }
    QAction* option(const char* name) { return f.control<QAction>(name); }
    SharedState& state() { return *f.state; }
    QStringList& messages() { return f.prompts.messages; }

    QString handlerId(const QString& alias) const
    {
        return f.site.scalar("SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = ?", {alias}).toText();
    }
    QString subscriberId(const QString& alias) const
    {
        return f.site.scalar("SELECT SubscriberObjectID FROM Subscriber WHERE Alias = ?", {alias}).toText();
    }

    // Points a key of a handler somewhere; Null where a value is not given.
    void setKey(const QString& handlerAlias, const QString& key, const Variant& action, const Variant& conversation,
                const Variant& destination) const
    {
        f.site.execute("UPDATE MenuEntry SET Action = ?, ConversationName = ?, DestinationObjectID = ? "
                       "WHERE ParentObjectID = (SELECT CallHandlerObjectID FROM CallHandler WHERE Alias = ?) AND Alias = ?",
                       {action, conversation, destination, handlerAlias, key});
    }

    // What "Refresh database" does: read the site again and build the tree anew from its root.
    void rebuild()
    {
        state().cache.RequeryAllRecordsets();
        grid().setRowCount(0);
        tree().AddNewNode(tree().TreeRootObjectID(), tree().TreeRootNodeType());
    }

    // The row reached from the root through the child aliases; -1 when there is none.
    int row(const QStringList& path)
    {
        int r = 0;
        for (const QString& alias : path) {
            int child = grid().firstChildRow(r);
            while (child >= 0 && grid().cellText(child, TreeColumn::ChildAlias) != alias)
                child = grid().nextSiblingRow(child);
            if (child < 0)
                return -1;
            r = child;
        }
        return r;
    }

    // Opens a row the way the tree's opener does: its placeholder goes, then the row is built.
    void open(int r)
    {
        ASSERT_TRUE(holdsPlaceholder(r)) << "row " << r << " " << text(r).toStdString();
        grid().removeSubtree(r + 1);
        tree().ExpandRow(static_cast<qint16>(r));
    }
    int open(const QStringList& path)
    {
        const int r = row(path);
        open(r);
        return r;
    }

    bool holdsPlaceholder(int r)
    {
        return r + 1 < grid().rowCount() && grid().cellText(r + 1, TreeColumn::Main).isEmpty() && grid().parentRow(r + 1) == r;
    }

    QStringList childAliases(int r)
    {
        QStringList aliases;
        for (int c = grid().firstChildRow(r); c >= 0; c = grid().nextSiblingRow(c))
            aliases << grid().cellText(c, TreeColumn::ChildAlias);
        return aliases;
    }

    QString text(int r) { return grid().cellText(r, TreeColumn::Main); }
    qint16 type(int r) { return grid().cellData(r, TreeColumn::NodeType).toInt16(); }
    QString picture(int r) { return grid().cellPicture(r, TreeColumn::Main); }
    QString objectId(int r) { return grid().cellText(r, TreeColumn::ObjectID); }

    QString changeLog() const { return f.changeLogText(); }

    MainWindowFixture f;
};
