#pragma once

#include "tree/TreeOperations.h"

#include <QMainWindow>
#include <QStringList>

class DialogOperations;
class EnvironmentOperations;
class PaneOperations;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class SharedState;

// The parts of the program the main window starts and lays out, each reached through its
// operation set. Any may be missing (tests build a window without some of them).
struct MainWindowParts {
    TreeOperations* tree = nullptr;
    ObjectListOperations* objectList = nullptr;
    ReferencesOperations* references = nullptr;
    PaneOperations* pane = nullptr;
    EnvironmentOperations* environment = nullptr;
    DialogOperations* dialogs = nullptr; // the tool windows of the Extensions menu
};

// The main window: the tree and the object list on the left, the property pane and the
// references on the right, the menus. It hosts the pages that the subsystems build, runs the
// start-up, the layout rule and the shutdown.
class frmMain : public QMainWindow, public TreeWindow {
    Q_OBJECT
public:
    explicit frmMain(SharedState& state, QWidget* parent = nullptr);
    ~frmMain() override;

    // The pages; the window takes them over.
    void hostTreeView(QWidget* view);     // "Tree View" tab: ATTree
    void hostObjectList(QWidget* page);   // "Grid View" tab: cmbShowObjectType, gridObjects
    void hostPropertyPane(QWidget* pane); // tabInfoTab
    void hostReferences(QWidget* panel);  // frameLinks
    void setParts(const MainWindowParts& parts) { m_parts = parts; }

    TreeDisplayOptions displayOptions() const;
    TreeCommandItems treeCommandItems() const;
    QAction* showReferencesOption() const { return ShowReferences; }
    // The menu items whose commands the tree's tools carry out.
    QAction* exportTreeItem() const { return ExportTree; }
    QAction* findExtensionItem() const { return mnuFindExtension; }

    void ShowTreeTab() override;
    bool GridViewInFront() const override;
    void setBusy(bool busy) override;
    QLabel* currentObjectLabel() const { return lblCurrentObjectDisplayName; }

    // The start-up, before the window is shown. Ends the process through ShutDownApplication
    // when the server refuses. commandLine is the program's path followed by its arguments, as
    // QCoreApplication::arguments() gives them.
    void Form_Load(const QStringList& commandLine);
    void Form_Resize();
    void Exit_Click();
    // The Help menu.
    void ShowHelp_Click();
    void HelpAbout_Click();
    void mnuCheckForUpdatedVersion_Click();
    void mnuViewLogs_Click();
    // The Extensions menu's tool windows.
    void mnuSchedules_Click();
    void mnuFindAvailable_Click();
    void mnuTransferString_Click();

    // The window's outer size in twips, as the layout rule measures it.
    double outerWidthTwips() const;
    double outerHeightTwips() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void Form_Unload();
    void host(QWidget* page, QWidget* into, double left, double top, double width, double height);

    SharedState& m_state;
    MainWindowParts m_parts;
    bool m_applyingLayout = false;

    QTabWidget* TabTreeGrid;
    QWidget* m_treeTab;
    QWidget* m_gridTab;
    QWidget* Picture1;
    QLabel* lblCurrentObjectDisplayName;

    QMenu* file;
    QAction* RefreshDatabase;
    QMenu* StartTreeWith;
    QAction* SearchForSubscriber;
    QAction* CreateNewCallHandler;
    QAction* mnuViewLogs;
    QAction* ExportTree;
    QAction* Exit;
    QMenu* mnuOptions;
    QAction* ShowIgnoreKey;
    QAction* ShowNoLeafs;
    QAction* ShowAfterMessageLinks;
    QAction* ShowAfterGreetingLinks;
    QAction* ShowReferences;
    QAction* ExpandAllNodes;
    QAction* CollapseNodes;
    QMenu* Extensions;
    QAction* mnuFindExtension;
    QAction* mnuFindAvailable;
    QAction* mnuTransferString;
    QAction* mnuSchedules;
    QMenu* Help;
    QAction* ShowHelp;
    QAction* HelpAbout;
    QAction* mnuCheckForUpdatedVersion;
};
