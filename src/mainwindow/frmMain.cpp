#include "mainwindow/frmMain.h"

#include "data/ProcessLifetime.h"
#include "data/SharedState.h"
#include "dialogs/DialogOperations.h"
#include "environment/EnvironmentOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "system/UrlOpener.h"
#include "widgets/Named.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <array>

namespace {

// The client area the window opens with, and the smallest outer size the layout rule allows.
constexpr double kClientWidth = 11880;
constexpr double kClientHeight = 8310;
constexpr double kMinimumWidth = 11280;
constexpr double kMinimumHeight = 8175;
// Borders and caption that an undecorated window (no window manager, offscreen) is taken to
// have, so that the rule's margins fit as they do on a decorated one.
constexpr double kFrameWidth = 120;
constexpr double kFrameHeight = 465;

} // namespace

frmMain::frmMain(SharedState& state, QWidget* parent)
    : QMainWindow(parent),
      m_state(state)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Treewright"));
    // The panes are measured for an 8-point face; a larger one would not fit their labels.
    QFont face = font();
    face.setPointSize(8);
    setFont(face);
    setCentralWidget(new QWidget(this));
    centralWidget()->setObjectName(QStringLiteral("clientArea"));

    TabTreeGrid = named(new QTabWidget(centralWidget()), "TabTreeGrid");
    m_treeTab = new QWidget;
    m_gridTab = new QWidget;
    TabTreeGrid->addTab(m_treeTab, QStringLiteral("Tree View"));
    TabTreeGrid->addTab(m_gridTab, QStringLiteral("Grid View"));
    Twips::place(TabTreeGrid, 0, 120, 5235, 8055);

    Picture1 = named(new QWidget(centralWidget()), "Picture1");
    Twips::place(Picture1, 7650, 240, 4125, 195);
    lblCurrentObjectDisplayName = named(new QLabel(Picture1), "lblCurrentObjectDisplayName");
    Twips::place(lblCurrentObjectDisplayName, 60, 0, 3945, 195);

    buildMenus();
    resize(Twips::toPixelsX(kClientWidth, this), Twips::toPixelsY(kClientHeight, this) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

void frmMain::host(QWidget* page, QWidget* into, double left, double top, double width, double height)
{
    page->setParent(into);
    Twips::place(page, left, top, width, height);
    page->show();
    // The picture label sits over the pane's tab row.
    Picture1->raise();
}

void frmMain::hostTreeView(QWidget* view)
{
    host(view, m_treeTab, 50, 600, 4875, 7335);
    view->setAccessibleName(QStringLiteral("Call flow tree"));
}

void frmMain::hostObjectList(QWidget* page)
{
    // The page spans its tab; the rule sizes the list inside it.
    auto* layout = new QVBoxLayout(m_gridTab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
}

void frmMain::hostPropertyPane(QWidget* pane)
{
    host(pane, centralWidget(), 5280, 150, 6570, 4575);
}

void frmMain::hostReferences(QWidget* panel)
{
    host(panel, centralWidget(), 5280, 4740, 6555, 3855);
}

void frmMain::buildMenus()
{
    // Items without a command here are shown disabled until the commands that fill them exist.
    auto disabledItem = [](QMenu* menu, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setEnabled(false);
        return a;
    };

    file = named(menuBar()->addMenu(QStringLiteral("&File")), "file");
    mnuViewLogs = named(file->addAction(QStringLiteral("&View Logs Directory")), "mnuViewLogs");
    connectGuarded(m_state.prompts, mnuViewLogs, &QAction::triggered, this, [this] { mnuViewLogs_Click(); });
    file->addSeparator();
    RefreshDatabase = named(file->addAction(QStringLiteral("&Refresh database")), "RefreshDatabase");
    RefreshDatabase->setShortcut(Qt::Key_F2);
    StartTreeWith = named(file->addMenu(QStringLiteral("&Load new tree starting with...")), "StartTreeWith");
    SearchForSubscriber = named(StartTreeWith->addAction(QStringLiteral("&Subscriber")), "SearchForSubscriber");
    CreateNewCallHandler = named(StartTreeWith->addAction(QStringLiteral("&Call Handler")), "CreateNewCallHandler");
    file->addSeparator();
    disabledItem(file, QStringLiteral("Delete selected object"))->setShortcut(QKeySequence::Delete);
    file->addSeparator();
    ExportTree = named(file->addAction(QStringLiteral("&Export tree information to file")), "ExportTree");
    disabledItem(file, QStringLiteral("Export handler details to file"));
    disabledItem(file, QStringLiteral("Export subscriber details to file"));
    file->addSeparator();
    disabledItem(file, QStringLiteral("Export selected tree to database"));
    disabledItem(file, QStringLiteral("Import audio text tree from database"));
    file->addSeparator();
    disabledItem(file, QStringLiteral("View Log File"));
    file->addSeparator();
    Exit = named(file->addAction(QStringLiteral("E&xit")), "Exit");
    connectGuarded(m_state.prompts, Exit, &QAction::triggered, this, [this] { Exit_Click(); });

    mnuOptions = named(menuBar()->addMenu(QStringLiteral("&Options")), "Options");
    auto option = [this](const char* name, const QString& caption, bool checked) {
        QAction* a = named(mnuOptions->addAction(caption), name);
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    };
    ShowIgnoreKey = option("ShowIgnoreKey", QStringLiteral("Show \"Ignore Key\" links in tree"), true);
    ShowNoLeafs = option("ShowNoLeafs", QStringLiteral("Remove all \"Leaf\" links from tree"), false);
    ShowAfterMessageLinks = option("ShowAfterMessageLinks", QStringLiteral("Show \"After Message\" links in tree"), true);
    ShowAfterGreetingLinks = option("ShowAfterGreetingLinks", QStringLiteral("Show \"After Greeting\" links in tree"), false);
    ShowReferences = option("ShowReferences", QStringLiteral("Show references to selected object"), true);
    mnuOptions->addSeparator();
    ExpandAllNodes = named(mnuOptions->addAction(QStringLiteral("Expand all nodes")), "ExpandAllNodes");
    CollapseNodes = named(mnuOptions->addAction(QStringLiteral("Collapse all nodes")), "CollapseNodes");

    Extensions = named(menuBar()->addMenu(QStringLiteral("E&xtensions")), "Extensions");
    mnuFindExtension = named(Extensions->addAction(QStringLiteral("&Find extension in database")), "mnuFindExtension");
    mnuFindAvailable = named(Extensions->addAction(QStringLiteral("Show all &available extensions in range")), "mnuFindAvailable");
    connectGuarded(m_state.prompts, mnuFindAvailable, &QAction::triggered, this, [this] { mnuFindAvailable_Click(); });
    named(Extensions->addSeparator(), "seperator9");
    mnuTransferString = named(Extensions->addAction(QStringLiteral("Find a &transfer string")), "mnuTransferString");
    connectGuarded(m_state.prompts, mnuTransferString, &QAction::triggered, this, [this] { mnuTransferString_Click(); });
    mnuSchedules = named(Extensions->addAction(QStringLiteral("Schedules")), "mnuSchedules");
    mnuSchedules->setVisible(false);
    connectGuarded(m_state.prompts, mnuSchedules, &QAction::triggered, this, [this] { mnuSchedules_Click(); });

    Help = named(menuBar()->addMenu(QStringLiteral("&Help")), "Help");
    ShowHelp = named(Help->addAction(QStringLiteral("&Help")), "ShowHelp");
    named(Help->addSeparator(), "seperator33");
    HelpAbout = named(Help->addAction(QStringLiteral("&About Treewright")), "HelpAbout");
    mnuCheckForUpdatedVersion = named(Help->addAction(QStringLiteral("&Check for updated version")), "mnuCheckForUpdatedVersion");
    connectGuarded(m_state.prompts, ShowHelp, &QAction::triggered, this, [this] { ShowHelp_Click(); });
    connectGuarded(m_state.prompts, HelpAbout, &QAction::triggered, this, [this] { HelpAbout_Click(); });
    connectGuarded(m_state.prompts, mnuCheckForUpdatedVersion, &QAction::triggered, this,
                   [this] { mnuCheckForUpdatedVersion_Click(); });
}

void frmMain::ShowHelp_Click()
{
    if (m_parts.environment)
        m_parts.environment->showHelpWindow(this);
}

void frmMain::HelpAbout_Click()
{
    if (m_parts.environment)
        m_parts.environment->showAboutBox(this);
}

void frmMain::mnuCheckForUpdatedVersion_Click()
{
    if (!m_parts.environment)
        return;
    setBusy(true);
    // The pointer comes back also when the check fails.
    const auto restore = qScopeGuard([this] { setBusy(false); });
    m_parts.environment->CheckForUpdatedVersion();
}

TreeDisplayOptions frmMain::displayOptions() const
{
    return {ShowIgnoreKey, ShowNoLeafs, ShowAfterMessageLinks, ShowAfterGreetingLinks};
}

TreeCommandItems frmMain::treeCommandItems() const
{
    return {ShowIgnoreKey, ShowNoLeafs,     ShowAfterMessageLinks, ShowAfterGreetingLinks, ExpandAllNodes,
            CollapseNodes, RefreshDatabase, SearchForSubscriber,   CreateNewCallHandler};
}

void frmMain::ShowTreeTab()
{
    TabTreeGrid->setCurrentIndex(0);
}

bool frmMain::GridViewInFront() const
{
    return TabTreeGrid->currentIndex() == 1;
}

void frmMain::setBusy(bool busy)
{
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

double frmMain::outerWidthTwips() const
{
    return Twips::outerWidth(this, kFrameWidth);
}

double frmMain::outerHeightTwips() const
{
    return Twips::outerHeight(this, kFrameHeight);
}

void frmMain::Form_Resize()
{
    if (isMinimized() || m_applyingLayout)
        return;
    m_applyingLayout = true;
    // The layout rule works in single precision: its roundings decide where the panes end.
    float width = static_cast<float>(outerWidthTwips());
    float height = static_cast<float>(outerHeightTwips());
    if (width < kMinimumWidth || height < kMinimumHeight) {
        const int dw = width < kMinimumWidth ? Twips::toPixelsX(kMinimumWidth - width, this) : 0;
        const int dh = height < kMinimumHeight ? Twips::toPixelsY(kMinimumHeight - height, this) : 0;
        resize(this->width() + dw, this->height() + dh);
        width = std::max(width, static_cast<float>(kMinimumWidth));
        height = std::max(height, static_cast<float>(kMinimumHeight));
    }

    // The rule names the panes; a page that is not hosted (or lacks one of them) is passed over,
    // like every failing step of the rule.
    struct Pane {
        QWidget* widget;
        float left, top, width, height;
        void set(float l, float t, float w, float h) const
        {
            if (widget)
                Twips::place(widget, l, t, w, h);
        }
    };
    auto pane = [this](const char* name) {
        QWidget* w = findChild<QWidget*>(QString::fromLatin1(name));
        if (!w)
            return Pane{nullptr, 0, 0, 0, 0};
        const QRect g = w->geometry();
        return Pane{w, float(Twips::fromPixelsX(g.x(), this)), float(Twips::fromPixelsY(g.y(), this)),
                    float(Twips::fromPixelsX(g.width(), this)), float(Twips::fromPixelsY(g.height(), this))};
    };

    const Pane info = pane("tabInfoTab");
    const float infoLeft = width - info.width - 100;
    info.set(infoLeft, info.top, info.width, info.height);
    const Pane links = pane("frameLinks");
    const float linksTop = info.height + 100;
    const float linksHeight = height - linksTop - 700;
    links.set(infoLeft, linksTop, links.width, linksHeight);
    const Pane subscribers = pane("gridSubscriberReferences");
    const float gridHeight = linksHeight / 2 - 400;
    subscribers.set(subscribers.left, subscribers.top, subscribers.width, gridHeight);
    const float lowerTop = subscribers.top + gridHeight + 250;
    const Pane handlers = pane("gridCallHandlerReferences");
    handlers.set(handlers.left, lowerTop, handlers.width, gridHeight);
    const Pane label = pane("lblCallHandlerReferences");
    label.set(label.left, lowerTop - 200, label.width, label.height);
    const Pane tabs = pane("TabTreeGrid");
    const float tabsHeight = height - 830;
    const float tabsWidth = infoLeft - 100;
    tabs.set(tabs.left, tabs.top, tabsWidth, tabsHeight);
    const Pane tree = pane("ATTree");
    tree.set(tree.left, tree.top, tabsWidth - 100, tabsHeight - 650);
    const Pane list = pane("gridObjects");
    list.set(list.left, list.top, tabsWidth - 100, tabsHeight - 650 - 500);
    m_applyingLayout = false;
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    guarded(m_state.prompts, [this] { Form_Resize(); });
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    guarded(m_state.prompts, [this] { Form_Unload(); });
}

void frmMain::Form_Unload()
{
    ShutDownApplication(m_state);
}

void frmMain::mnuViewLogs_Click()
{
    // The change log's folder, in the desktop's file manager.
    const QString logs = m_state.environment.programFolder.file(QStringLiteral("logs"));
    m_state.environment.urlOpener.openUrl(QUrl::fromLocalFile(logs).toString());
}

void frmMain::mnuSchedules_Click()
{
    if (m_parts.dialogs)
        m_parts.dialogs->frmSchedules();
}

void frmMain::mnuFindAvailable_Click()
{
    if (m_parts.dialogs)
        m_parts.dialogs->frmAvailableExtensions();
}

void frmMain::mnuTransferString_Click()
{
    if (m_parts.dialogs)
        m_parts.dialogs->frmFindTransferString();
}

void frmMain::Exit_Click()
{
    ShutDownApplication(m_state);
}
