#include "tree/frmMain.h"

#include "data/ProcessLifetime.h"
#include "data/RegistryAPI.h"
#include "data/SharedState.h"
#include "environment/StartupHook.h"
#include "pane/PaneOperations.h"
#include "platform/ErrorHandling.h"
#include "platform/OutlineGrid.h"
#include "platform/OutlineGridView.h"
#include "platform/ServerState.h"
#include "platform/SonotropeCtrl.h"
#include "platform/SystemIdentity.h"
#include "platform/Twips.h"
#include "tree/TreeOperations.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>

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

const QString kLoadError = QStringLiteral("error in form load routine:");

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

frmMain::frmMain(SharedState& state, QWidget* parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Treewright"));
    // The panes are measured for an 8-point face; a larger one would not fit their labels.
    QFont face = font();
    face.setPointSize(8);
    setFont(face);
    setCentralWidget(new QWidget(this));
    centralWidget()->setObjectName(QStringLiteral("clientArea"));
    m_treeGrid = new OutlineGrid();
    buildPanes();
    buildMenus();
    resize(Twips::toPixelsX(kClientWidth, this), Twips::toPixelsY(kClientHeight, this) + menuBar()->sizeHint().height());
}

frmMain::~frmMain()
{
    delete ATTree;
    ATTree = nullptr;
    delete m_treeGrid;
}

void frmMain::buildPanes()
{
    QWidget* client = centralWidget();

    TabTreeGrid = named(new QTabWidget(client), "TabTreeGrid");
    auto* treeTab = new QWidget;
    auto* gridTab = new QWidget;
    TabTreeGrid->addTab(treeTab, QStringLiteral("Tree View"));
    TabTreeGrid->addTab(gridTab, QStringLiteral("Grid View"));
    Twips::place(TabTreeGrid, 0, 120, 5235, 8055);

    ATTree = named(new OutlineGridView(*m_treeGrid, treeTab), "ATTree");
    Twips::place(ATTree, 50, 600, 4875, 7335);
    ATTree->setAccessibleName(QStringLiteral("Call flow tree"));

    cmbShowObjectType = named(new QComboBox(gridTab), "cmbShowObjectType");
    cmbShowObjectType->addItems({QStringLiteral("Call Handlers"), QStringLiteral("Subscribers"), QStringLiteral("Interview Handlers"),
                                 QStringLiteral("Directory Handlers")});
    cmbShowObjectType->setCurrentIndex(-1);
    Twips::place(cmbShowObjectType, 50, 660, 3315, 315);
    gridObjects = named(new QTableView(gridTab), "gridObjects");
    Twips::place(gridObjects, 50, 1140, 4875, 6375);
    gridObjects->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridObjects->setEditTriggers(QAbstractItemView::NoEditTriggers);

    tabInfoTab = named(new QTabWidget(client), "tabInfoTab");
    Twips::place(tabInfoTab, 5280, 150, 6570, 4575);
    const char* frameNames[] = {"frameMainTab_0", "frameMainTab_1", "frameMainTab_2", "frameMainTab_3"};
    const QString captions[] = {QStringLiteral("Subscriber"), QStringLiteral("Call Handler"), QStringLiteral("Interviewer"),
                                QStringLiteral("Leaf")};
    for (int i = 0; i < 4; ++i) {
        auto* page = new QWidget;
        frameMainTab[size_t(i)] = named(new QFrame(page), frameNames[i]);
        frameMainTab[size_t(i)]->setGeometry(0, 0, Twips::toPixelsX(6450, this), Twips::toPixelsY(4100, this));
        tabInfoTab->addTab(page, captions[i]);
    }
    tabDirectoryHandlerInfo = named(new QTabWidget, "tabDirectoryHandlerInfo");
    tabDirectoryHandlerInfo->addTab(new QWidget, QStringLiteral("Profile"));
    tabDirectoryHandlerInfo->addTab(new QWidget, QStringLiteral("Search Options"));
    tabDirectoryHandlerInfo->addTab(new QWidget, QStringLiteral("Caller Input"));
    tabInfoTab->addTab(tabDirectoryHandlerInfo, QStringLiteral("Directory Handler"));

    auto* leafLabel = named(new QLabel(QStringLiteral("Leaf Node Action:"), frameMainTab[3]), "lblLeafAction");
    Twips::place(leafLabel, 240, 360, 2000, 255);
    txtLeafAction = named(new QLineEdit(frameMainTab[3]), "txtLeafAction");
    txtLeafAction->setReadOnly(true);
    leafLabel->setBuddy(txtLeafAction);
    Twips::place(txtLeafAction, 240, 660, 5000, 315);

    // The media controls' frames; the controls themselves are created by the start-up.
    frameSonotropeSubscriberGreeting = named(new QGroupBox(frameMainTab[0]), "frameSonotropeSubscriberGreeting");
    frameSonotropeHandlerGreeting = named(new QGroupBox(frameMainTab[1]), "frameSonotropeHandlerGreeting");
    frameSonotropeInterviewQuestions = named(new QGroupBox(frameMainTab[2]), "frameSonotropeInterviewQuestions");
    for (QGroupBox* frame : {frameSonotropeSubscriberGreeting, frameSonotropeHandlerGreeting, frameSonotropeInterviewQuestions})
        Twips::place(frame, 120, 3000, 6000, 1000);

    frameLinks = named(new QGroupBox(QStringLiteral("References to this object"), client), "frameLinks");
    Twips::place(frameLinks, 5280, 4740, 6555, 3855);
    lblSubscriberReferences = named(new QLabel(QStringLiteral("Subscribers"), frameLinks), "lblSubscriberReferences");
    Twips::place(lblSubscriberReferences, 120, 240, 915, 195);
    gridSubscriberReferences = named(new QTableWidget(frameLinks), "gridSubscriberReferences");
    Twips::place(gridSubscriberReferences, 60, 480, 6465, 1515);
    lblCallHandlerReferences = named(new QLabel(QStringLiteral("Call Handlers"), frameLinks), "lblCallHandlerReferences");
    Twips::place(lblCallHandlerReferences, 60, 2040, 1095, 195);
    gridCallHandlerReferences = named(new QTableWidget(frameLinks), "gridCallHandlerReferences");
    Twips::place(gridCallHandlerReferences, 60, 2280, 6465, 1515);
    // A face wider than the one the panes were measured for still shows the whole caption.
    for (QLabel* label : {lblSubscriberReferences, lblCallHandlerReferences, leafLabel})
        label->resize(std::max(label->width(), label->sizeHint().width()), std::max(label->height(), label->sizeHint().height()));
    lblSubscriberReferences->setBuddy(gridSubscriberReferences);
    lblCallHandlerReferences->setBuddy(gridCallHandlerReferences);
    for (QTableWidget* grid : {gridSubscriberReferences, gridCallHandlerReferences}) {
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->verticalHeader()->hide();
    }

    Picture1 = named(new QFrame(client), "Picture1");
    Twips::place(Picture1, 7650, 240, 4125, 195);
    lblCurrentObjectDisplayName = named(new QLabel(Picture1), "lblCurrentObjectDisplayName");
    Twips::place(lblCurrentObjectDisplayName, 60, 0, 3945, 195);
}

void frmMain::buildMenus()
{
    file = named(menuBar()->addMenu(QStringLiteral("&File")), "file");
    Exit = file->addAction(QStringLiteral("E&xit"));
    Exit->setObjectName(QStringLiteral("Exit"));
    connect(Exit, &QAction::triggered, this, &frmMain::Exit_Click);

    mnuOptions = named(menuBar()->addMenu(QStringLiteral("&Options")), "Options");
    auto option = [this](const char* name, const QString& caption, bool checked) {
        QAction* a = mnuOptions->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    };
    ShowIgnoreKey = option("ShowIgnoreKey", QStringLiteral("Show \"Ignore Key\" links in tree"), true);
    ShowNoLeafs = option("ShowNoLeafs", QStringLiteral("Remove all \"Leaf\" links from tree"), false);
    ShowAfterMessageLinks = option("ShowAfterMessageLinks", QStringLiteral("Show \"After Message\" links in tree"), true);
    ShowAfterGreetingLinks = option("ShowAfterGreetingLinks", QStringLiteral("Show \"After Greeting\" links in tree"), false);
    ShowReferences = option("ShowReferences", QStringLiteral("Show references to selected object"), true);

    Extensions = named(menuBar()->addMenu(QStringLiteral("E&xtensions")), "Extensions");
    mnuSchedules = Extensions->addAction(QStringLiteral("Schedules"));
    mnuSchedules->setObjectName(QStringLiteral("mnuSchedules"));
    mnuSchedules->setVisible(false);
    Extensions->menuAction()->setVisible(false); // shown once it holds a visible item
}

void frmMain::createMediaControls()
{
    struct Control {
        SonotropeCtrl* frmMain::*member;
        QGroupBox* frame;
        const char* key;
        const char* tempFile;
    };
    const Control controls[] = {
        {&frmMain::snHandlerGreetings, frameSonotropeHandlerGreeting, "SotrHandlerGreeting", "TempHandlerWavFile.wav"},
        {&frmMain::snSubscriberGreetings, frameSonotropeSubscriberGreeting, "SotrsubscriberGreeting", "TempSubscriberWavFile.wav"},
        {&frmMain::snInterviewerQuestions, frameSonotropeInterviewQuestions, "SotrInterviewerQuestion", "TempInterviewerWavFile.wav"},
    };
    for (const Control& c : controls) {
        runStep(m_state.prompts, kLoadError, [&] {
            auto* control = new SonotropeCtrl(m_state.environment.audioDevices(), c.frame);
            control->setObjectName(QString::fromLatin1(c.key));
            this->*c.member = control;
            control->move(Twips::toPixelsX(370, this), Twips::toPixelsY(175, this));
            control->setSoundFile(QString());
            control->setTempRecordingFile(m_state.environment.programFolder.file(QString::fromLatin1(c.tempFile)));
            control->setControlActive(-1);
            control->setInPlaceMode(-1);
            control->setVisible(true);
        });
    }
}

void frmMain::Form_Load(const QStringList& commandLine)
{
    SharedState& s = m_state;
    UserPrompts& prompts = s.prompts;
    auto step = [&](auto&& body) { runStep(prompts, kLoadError, body); };

    step([&] { SetProcessPriority(s.environment.process, PriorityClass::BelowNormal); });

    int serverState = 0;
    step([&] { serverState = s.environment.serverState.state(); });
    if (serverState != 32) {
        prompts.msgBox(QStringLiteral("Talvo must be running.  Please start Talvo and try again."));
        ShutDownApplication(s);
    }

    step([&] { s.ServerVersion = GetTalvoVersion(s.registry); });
    if (!IsTalvoVersionAtLeast(s.ServerVersion, 4, 0, 1, 0)) {
        prompts.msgBox(QStringLiteral("Talvo version earlier than 4.0(1) detected... this application only runs on Talvo 4.0(1) or later."));
        ShutDownApplication(s);
    }
    if (s.ServerVersion.Major > 4) {
        prompts.msgBox(QStringLiteral("This version of Treewright has not been tested with versions of Talvo greater than 4.x.  "
                                      "Please obtain an updated version of TWR."));
        ShutDownApplication(s);
    }

    step([&] { s.changeLog.OpenSessionLog(s.changeLog.GenerateNewLogFileName()); });
    step([&] { s.ServerName = s.environment.identity.computerName(); });
    s.ConnectionString = ConnectionFactory::connectionStringFor(s.ServerName);
    step([&] { s.cache.OpenDatabaseRecordsets(s.ConnectionString); });

    step([&] {
        tabDirectoryHandlerInfo->setTabVisible(1, false);
        tabDirectoryHandlerInfo->setTabVisible(2, true);
    });
    if (commandLine.join(QLatin1Char(' ')).contains(QLatin1String("Schedules"), Qt::CaseInsensitive)) {
        mnuSchedules->setVisible(true);
        Extensions->menuAction()->setVisible(true);
    }

    step([&] {
        cmbShowObjectType->setCurrentIndex(0);
        if (m_objectList)
            m_objectList->LoadGridView();
    });

    step([&] {
        gridSubscriberReferences->setRowCount(0);
        gridCallHandlerReferences->setRowCount(0);
        m_treeGrid->setRowCount(0);
        m_treeGrid->setRedraw(true);
    });

    Recordset& ch = s.cache.rsCallHandler;
    step([&] { ch.moveFirst(); });
    step([&] { ch.find(QStringLiteral("Alias"), QStringLiteral("openinggreetingch")); });
    bool missing = true;
    step([&] { missing = ch.isEOF(); });
    if (missing) {
        prompts.msgBox(QStringLiteral("Error! Could not locate opening greeting handler.  Exiting"));
        ShutDownApplication(s);
    }

    step([&] {
        s.StreamFilesPath = QueryRegistryValue(s.registry, HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Halvane\\Sorvic\\1.0\\"),
                                               QStringLiteral("Root Path"), 1, QString())
                                .textOrEmpty()
                            + QStringLiteral("Stream Files\\");
    });
    s.random.seed(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    createMediaControls();

    step([&] {
        if (m_pane)
            m_pane->PopulateControls();
    });
    step([&] {
        if (m_objectList)
            m_objectList->LoadGridView();
    });
    step([&] {
        s.TreeRootObjectID = ch.field(QStringLiteral("CallHandlerObjectID")).toText();
        s.TreeRootNodeType = 3;
        if (m_tree)
            m_tree->AddNewNode(s.TreeRootObjectID, 3);
    });
    step([&] { RunTestBatch(s.environment.programFolder, s.environment.programVersion, s.environment.launcher); });
}

double frmMain::outerWidthTwips() const
{
    const QRect frame = frameGeometry();
    const bool decorated = frame.size() != geometry().size();
    return Twips::fromPixelsX(frame.width(), this) + (decorated ? 0 : kFrameWidth);
}

double frmMain::outerHeightTwips() const
{
    const QRect frame = frameGeometry();
    const bool decorated = frame.size() != geometry().size();
    return Twips::fromPixelsY(frame.height(), this) + (decorated ? 0 : kFrameHeight);
}

void frmMain::Form_Resize()
{
    if (isMinimized() || m_applyingLayout)
        return;
    m_applyingLayout = true;
    auto quietly = [](auto&& body) { runStepSilently(body); };
    // Single precision, as the rule was written.
    float width = static_cast<float>(outerWidthTwips());
    float height = static_cast<float>(outerHeightTwips());
    if (width < kMinimumWidth || height < kMinimumHeight) {
        quietly([&] {
            const int dw = width < kMinimumWidth ? Twips::toPixelsX(kMinimumWidth - width, this) : 0;
            const int dh = height < kMinimumHeight ? Twips::toPixelsY(kMinimumHeight - height, this) : 0;
            resize(this->width() + dw, this->height() + dh);
        });
        width = std::max(width, static_cast<float>(kMinimumWidth));
        height = std::max(height, static_cast<float>(kMinimumHeight));
    }
    auto twipsRect = [this](QWidget* w) {
        const QRect g = w->geometry();
        return std::array<float, 4>{float(Twips::fromPixelsX(g.x(), this)), float(Twips::fromPixelsY(g.y(), this)),
                                    float(Twips::fromPixelsX(g.width(), this)), float(Twips::fromPixelsY(g.height(), this))};
    };
    auto set = [](QWidget* w, float l, float t, float wd, float h) { Twips::place(w, l, t, wd, h); };

    const auto pane = twipsRect(tabInfoTab);
    const float paneLeft = width - pane[2] - 100;
    quietly([&] { set(tabInfoTab, paneLeft, pane[1], pane[2], pane[3]); });
    const float linksTop = pane[3] + 100;
    const float linksHeight = height - linksTop - 700;
    const auto links = twipsRect(frameLinks);
    quietly([&] { set(frameLinks, paneLeft, linksTop, links[2], linksHeight); });
    const auto subs = twipsRect(gridSubscriberReferences);
    const float gridHeight = linksHeight / 2 - 400;
    quietly([&] { set(gridSubscriberReferences, subs[0], subs[1], subs[2], gridHeight); });
    const float lowerTop = subs[1] + gridHeight + 250;
    const auto handlers = twipsRect(gridCallHandlerReferences);
    quietly([&] { set(gridCallHandlerReferences, handlers[0], lowerTop, handlers[2], gridHeight); });
    const auto label = twipsRect(lblCallHandlerReferences);
    quietly([&] { set(lblCallHandlerReferences, label[0], lowerTop - 200, label[2], label[3]); });
    const auto tabs = twipsRect(TabTreeGrid);
    const float tabsHeight = height - 830;
    const float tabsWidth = paneLeft - 100;
    quietly([&] { set(TabTreeGrid, tabs[0], tabs[1], tabsWidth, tabsHeight); });
    const auto tree = twipsRect(ATTree);
    quietly([&] { set(ATTree, tree[0], tree[1], tabsWidth - 100, tabsHeight - 650); });
    const auto list = twipsRect(gridObjects);
    quietly([&] { set(gridObjects, list[0], list[1], tabsWidth - 100, tabsHeight - 650 - 500); });
    m_applyingLayout = false;
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void frmMain::Form_Unload()
{
    ShutDownApplication(m_state);
}

void frmMain::Exit_Click()
{
    ShutDownApplication(m_state);
}
