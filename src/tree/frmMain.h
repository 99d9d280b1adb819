#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>

class AudioDevice;
class OutlineGrid;
class OutlineGridView;
class ObjectListOperations;
class PaneOperations;
class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QTableWidget;
class QTableView;
class SharedState;
class SonotropeCtrl;
class TreeOperations;

// The main window: the tree and the object list on the left, the property pane and the
// references on the right. It owns its widgets and runs the start-up and the layout rule; the
// tree, the list and the pane do their work in their own classes, reached through their
// operation sets.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(SharedState& state, QWidget* parent = nullptr);
    ~frmMain() override;

    void setTree(TreeOperations* tree) { m_tree = tree; }
    void setObjectList(ObjectListOperations* list) { m_objectList = list; }
    void setPane(PaneOperations* pane) { m_pane = pane; }

    // The start-up, before the window is shown. Ends the process through ShutDownApplication
    // when the server refuses.
    void Form_Load(const QStringList& commandLine);
    void Form_Resize();
    void Exit_Click();

    // The window's outer size in twips, as the layout rule measures it.
    double outerWidthTwips() const;
    double outerHeightTwips() const;

    OutlineGrid& treeGrid() { return *m_treeGrid; }

    QTabWidget* TabTreeGrid;
    OutlineGridView* ATTree;
    QComboBox* cmbShowObjectType;
    QTableView* gridObjects;
    QTabWidget* tabInfoTab;
    std::array<QFrame*, 4> frameMainTab;
    QTabWidget* tabDirectoryHandlerInfo;
    QLineEdit* txtLeafAction;
    QGroupBox* frameLinks;
    QLabel* lblSubscriberReferences;
    QTableWidget* gridSubscriberReferences;
    QLabel* lblCallHandlerReferences;
    QTableWidget* gridCallHandlerReferences;
    QFrame* Picture1;
    QLabel* lblCurrentObjectDisplayName;

    QGroupBox* frameSonotropeHandlerGreeting;
    QGroupBox* frameSonotropeSubscriberGreeting;
    QGroupBox* frameSonotropeInterviewQuestions;
    SonotropeCtrl* snHandlerGreetings = nullptr;
    SonotropeCtrl* snSubscriberGreetings = nullptr;
    SonotropeCtrl* snInterviewerQuestions = nullptr;

    QMenu* file;
    QAction* Exit;
    QMenu* mnuOptions;
    QAction* ShowIgnoreKey;
    QAction* ShowNoLeafs;
    QAction* ShowAfterMessageLinks;
    QAction* ShowAfterGreetingLinks;
    QAction* ShowReferences;
    QMenu* Extensions;
    QAction* mnuSchedules;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanes();
    void buildMenus();
    void createMediaControls();
    void Form_Unload();

    SharedState& m_state;
    OutlineGrid* m_treeGrid;
    TreeOperations* m_tree = nullptr;
    ObjectListOperations* m_objectList = nullptr;
    PaneOperations* m_pane = nullptr;
    bool m_applyingLayout = false;
};
