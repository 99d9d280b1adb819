#pragma once

#include "fakes/ScriptedDialogs.h"
#include "fixtures/PaneFixture.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

#include <QTabWidget>

// The demo site's main window with scripted search dialogs, and helpers to show each kind of
// object, edit a profile field as the administrator does and read what was stored and logged.
class ProfileFixture : public PaneFixture {
public:
    void startProfile()
    {
        f.dialogs = &dialogs;
        start();
        activate();
    }

    QString interviewerId(const QString& alias) const { return idOf("InterviewHandler", "InterviewHandlerObjectID", alias); }
    QString directoryId(const QString& alias) const { return idOf("NameLookupHandler", "NameLookupHandlerObjectID", alias); }
    QString listId(const QString& alias) const { return idOf("DistributionList", "SystemDListObjectID", alias); }

    void showHandler(const QString& alias) { show(alias, 3); }
    void showSubscriber(const QString& alias) { showObject(ownHandlerOf(alias), 1); }
    void showInterviewer(const QString& alias) { showObject(interviewerId(alias), 5); }
    void showDirectory(const QString& alias) { showObject(directoryId(alias), 6); }
    // The object list shows a kind (0 call handlers, 2 interview handlers, 3 directory handlers)
    // and the pane one of them; its id.
    QString showListed(int kind, const QString& alias)
    {
        control<QComboBox>("cmbShowObjectType")->setCurrentIndex(kind);
        if (kind == 2) {
            showInterviewer(alias);
            return interviewerId(alias);
        }
        if (kind == 3) {
            showDirectory(alias);
            return directoryId(alias);
        }
        showHandler(alias);
        return handlerId(alias);
    }

    // Brings the sub-tab with that caption to the front of a tab control, so its fields can
    // take the focus.
    void showTab(const char* tabs, const QString& caption)
    {
        auto* tabControl = control<QTabWidget>(tabs);
        for (int i = 0; i < tabControl->count(); ++i)
            if (tabControl->tabText(i) == caption)
                tabControl->setCurrentIndex(i);
        QApplication::processEvents();
    }

    // Types into a box and leaves it for a field that validates nothing.
    void edit(const QString& boxName, const QString& text, const QString& elsewhere)
    {
        auto* box = control<QLineEdit>(boxName);
        box->setText(text);
        leave(box, control(elsewhere));
    }
    void leaveField(const QString& name, const QString& elsewhere) { leave(control(name), control(elsewhere)); }

    // A change line without a parent, as the profile editors write them.
    QString line(const QString& table, const QString& alias, const QString& column, const QString& value) const
    {
        return ChangeLogLine(f.clock.now(), "UPDATE", table, alias, std::nullopt, std::nullopt, column, value);
    }
    QStringList linesSince(int count) const { return updateLines().mid(count); }

    // Every extension row of an object: "digits:primary", in table order.
    QString extensionRows(const QString& parentId) const
    {
        return f.site
            .scalar("SELECT coalesce(group_concat(DTMFAccessID || ':' || IsPrimaryID || ':' || ParentObjectIDType, ','), '') "
                    "FROM (SELECT * FROM DTMFAccessID WHERE ParentObjectID = ? ORDER BY rowid)",
                    {parentId})
            .toText();
    }
    Variant column(const QString& table, const QString& keyColumn, const QString& id, const QString& column) const
    {
        return f.site.scalar(QString("SELECT %1 FROM %2 WHERE %3 = ?").arg(column, table, keyColumn), {id});
    }
    // A column of the row with that alias.
    Variant aliasColumn(const QString& table, const QString& alias, const QString& column) const
    {
        return f.site.scalar(QString("SELECT %1 FROM %2 WHERE Alias = ?").arg(column, table), {alias});
    }

    // The texts of the tree rows that show an object.
    QStringList treeRowsOf(const QString& id)
    {
        QStringList texts;
        OutlineGrid& grid = f.treeGrid();
        for (int r = 0; r < grid.rowCount(); ++r)
            if (grid.cellText(r, TreeColumn::ObjectID).compare(id, Qt::CaseInsensitive) == 0)
                texts << grid.cellText(r, TreeColumn::Main);
        return texts;
    }

    ScriptedDialogs dialogs;
};
