#include "pane/PropertyPane.h"

#include "data/RegistryAPI.h"
#include "data/SharedState.h"
#include "greetings/GreetingOperations.h"
#include "pane/CallHandlerPage.h"
#include "pane/DirectoryHandlerPage.h"
#include "pane/InterviewerPage.h"
#include "pane/InterviewerSection.h"
#include "pane/LeafPage.h"
#include "pane/PaneSection.h"
#include "pane/SubscriberPage.h"
#include "pane/TransferRuleTab.h"
#include "pane/WebAdministration.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "tree/TreeOperations.h"
#include "widgets/FieldValidation.h"
#include "widgets/SonotropeCtrl.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

struct MediaControlSlot {
    const char* key;
    const char* tempFile;
};

// In the order the start-up creates them.
const std::array<MediaControlSlot, PaneOperations::MediaControlCount> kMediaControls = {{
    {"SotrHandlerGreeting", "TempHandlerWavFile.wav"},
    {"SotrsubscriberGreeting", "TempSubscriberWavFile.wav"},
    {"SotrInterviewerQuestion", "TempInterviewerWavFile.wav"},
}};

size_t slotOf(PaneOperations::MediaControl which)
{
    return static_cast<size_t>(which);
}

void fill(QWidget* frame, QWidget* page)
{
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
}

// Holds off the drawing of some widgets for its extent; each is drawn whole at its end.
class HeldPainting {
public:
    explicit HeldPainting(std::initializer_list<QWidget*> widgets)
    {
        for (QWidget* widget : widgets)
            if (widget && widget->updatesEnabled()) {
                widget->setUpdatesEnabled(false);
                m_held.emplace_back(widget);
            }
    }
    ~HeldPainting()
    {
        for (const QPointer<QWidget>& widget : m_held)
            if (widget)
                widget->setUpdatesEnabled(true);
    }
    HeldPainting(const HeldPainting&) = delete;
    HeldPainting& operator=(const HeldPainting&) = delete;

private:
    std::vector<QPointer<QWidget>> m_held;
};

const QString kIntegrations = QStringLiteral("Software\\Halvane\\QLM\\1.0\\initialization\\integrations\\");

} // namespace

PropertyPane::LoadScope::LoadScope(PropertyPane& pane)
    : m_pane(pane)
{
    ++m_pane.m_loading;
}

PropertyPane::LoadScope::~LoadScope()
{
    --m_pane.m_loading;
}

PropertyPane::PropertyPane(SharedState& state, QWidget* parent)
    : FramedTabs("tabInfoTab", "frameMainTab",
                 {QStringLiteral("Subscriber"), QStringLiteral("Call Handler"), QStringLiteral("Interviewer"),
                  QStringLiteral("Leaf"), QStringLiteral("Directory Handler")},
                 4, parent),
      m_state(state),
      m_fieldValidation(new FieldValidation(state.prompts, this))
{
    m_subscriber = new SubscriberPage;
    fill(frame(SubscriberTab), m_subscriber);
    m_callHandler = new CallHandlerPage;
    fill(frame(CallHandlerTab), m_callHandler);
    m_interviewer = new InterviewerPage;
    fill(frame(InterviewerTab), m_interviewer);
    m_leaf = new LeafPage;
    fill(frame(LeafTab), m_leaf);
    m_directoryHandler = new DirectoryHandlerPage;
    fill(extraPage(DirectoryHandlerTab), m_directoryHandler);

    UserPrompts& prompts = m_state.prompts;
    connectGuarded(prompts, this, &FramedTabs::Click, this, [this](int previous) { tabInfoTab_Click(previous); });
    connectGuarded(prompts, m_callHandler->tabHandlerInfo, &FramedTabs::Click, this,
                   [this](int previous) { m_callHandler->tabHandlerInfo_Click(previous); });
    connectGuarded(prompts, m_callHandler->tabHandlerTransferInfo, &FramedTabs::Click, this,
                   [this](int previous) { m_callHandler->tabHandlerTransferInfo_Click(previous); });
    connectGuarded(prompts, m_subscriber->tabSubscriberDetails, &FramedTabs::Click, this,
                   [this](int previous) { m_subscriber->tabSubscriberDetails_Click(previous); });
    connectGuarded(prompts, m_interviewer->tabInterviewerInfo, &FramedTabs::Click, this,
                   [this](int previous) { m_interviewer->tabInterviewerInfo_Click(previous); });

    auto* web = new WebAdministration(state, this);
    web->connectTo(m_callHandler->lblSACallHandlerJump, &WebAdministration::lblSACallHandlerJump_Click);
    web->connectTo(m_interviewer->lblSAInterviewerJump, &WebAdministration::lblSAInterviewerJump_Click);
    web->connectTo(m_directoryHandler->lblSADirectoryHandlerJump, &WebAdministration::lblSADirectoryHandlerJump_Click);
    web->connectTo(m_subscriber->lblSASubscriberJump, &WebAdministration::lblSASubscriberJump_Click);
}

PropertyPane::~PropertyPane() = default;

int PropertyPane::tabOf(qint16 nodeType)
{
    switch (nodeType) {
    case 1:
    case 99:
        return SubscriberTab;
    case 3:
    case 98:
        return CallHandlerTab;
    case 5:
        return InterviewerTab;
    case 0:
    case 97:
        return LeafTab;
    case 6:
        return DirectoryHandlerTab;
    default:
        return -1;
    }
}

bool PropertyPane::ShowNodeTypeTab(qint16 nodeType)
{
    const int tab = tabOf(nodeType);
    if (tab < 0)
        return false;
    // The page comes to the front emptied and is drawn so at once: until its object is loaded,
    // the screen shows neither the object shown before nor what this page showed last time.
    clearPage(Tab(tab));
    // The tab comes to the front before the others go, so the control never passes through a
    // state with no visible tab.
    setTabVisible(tab, true);
    for (int i = 0; i < count(); ++i)
        setTabVisible(i, i == tab);
    setCurrentIndex(tab);
    repaint();
    if (lblCurrentObjectDisplayName)
        lblCurrentObjectDisplayName->repaint();
    return true;
}

void PropertyPane::clearPage(Tab tab)
{
    // A load in progress (waiting on a message box) holds the pane undrawn, and the load that
    // waits for it clears the page itself.
    if (m_loading > 0)
        return;
    const LoadScope load(*this);
    runStepSilently([&] { setCurrentObjectName(QString()); });
    if (PaneSection* section = m_sections[size_t(tab)])
        runStepSilently([&] { section->clear(); });
    else if (tab == LeafTab)
        runStepSilently([&] { m_leaf->txtLeafAction->clear(); });
}

PropertyPane::SectionAttachment::SectionAttachment(PropertyPane& pane, Tab tab, PaneSection& section)
    : m_pane(pane),
      m_tab(tab)
{
    m_pane.setSection(m_tab, &section);
}

PropertyPane::SectionAttachment::~SectionAttachment()
{
    m_pane.setSection(m_tab, nullptr);
}

void PropertyPane::setGreetingOperations(GreetingOperations* greetings)
{
    m_callHandler->setGreetingOperations(greetings);
    m_subscriber->setGreetingOperations(greetings);
    disconnect(m_greetingTabClick);
    disconnect(m_subscriberGreetingTabClick);
    if (!greetings)
        return;
    m_greetingTabClick = connectGuarded(m_state.prompts, m_callHandler->tabHandlerGreetingInfo, &FramedTabs::Click, this,
                                        [greetings](int previous) { greetings->tabHandlerGreetingInfo_Click(previous); });
    m_subscriberGreetingTabClick = connectGuarded(m_state.prompts, m_subscriber->tabSubscriberGreetings, &FramedTabs::Click, this,
                                                  [greetings](int previous) { greetings->tabSubscriberGreetings_Click(previous); });
}

void PropertyPane::setCurrentObjectName(const QString& name)
{
    if (lblCurrentObjectDisplayName)
        lblCurrentObjectDisplayName->setText(name);
}

void PropertyPane::tabInfoTab_Click(int)
{
    showSelectedFrame();
}

void PropertyPane::stopMediaControls()
{
    for (SonotropeCtrl* control : m_mediaControls)
        runStepSilently([&] {
            if (control)
                control->StopSound();
        });
}

void PropertyPane::loadSection(Tab tab, const QString& strObjectID, bool stopFirst)
{
    if (stopFirst)
        stopMediaControls();
    PaneSection* section = m_sections[size_t(tab)];
    if (!section)
        return;
    runStepSilently([&] { section->clear(); });
    runStepSilently([&] { section->load(strObjectID); });
    // What the page now shows is what its edits are checked against.
    const QString shown = section->shownObjectID();
    if (!shown.isEmpty())
        m_state.cache.markPageShown(tab == SubscriberTab    ? RecordsetCache::ShownPage::Subscriber
                                    : tab == CallHandlerTab ? RecordsetCache::ShownPage::CallHandler
                                    : tab == InterviewerTab ? RecordsetCache::ShownPage::InterviewHandler
                                                            : RecordsetCache::ShownPage::DirectoryHandler,
                                    shown);
}

void PropertyPane::ReloadInterviewQuestions()
{
    const LoadScope load(*this);
    if (auto* section = dynamic_cast<InterviewerSection*>(m_sections[InterviewerTab]))
        section->reloadQuestions();
}

void PropertyPane::loadLeaf(const QString& action)
{
    runStepSilently([&] {
        if (lblCurrentObjectDisplayName)
            lblCurrentObjectDisplayName->clear();
    });
    stopMediaControls();
    runStepSilently([&] { m_leaf->txtLeafAction->setText(action); });
}

void PropertyPane::LoadTabInfo(const QString& strObjectID, qint16 iObjectType)
{
    if (m_tree && m_tree->ExpandAllInProgress())
        return;
    // A row change that arrives while a load waits on a message box (whose event loop runs) is
    // loaded after it: the page never shows the fields of two objects.
    if (m_loading > 0) {
        m_pendingLoad = PendingLoad{strObjectID, iObjectType};
        return;
    }
    loadObject(strObjectID, iObjectType);
    runPendingLoad();
}

void PropertyPane::runPendingLoad()
{
    while (m_pendingLoad && m_loading == 0) {
        const PendingLoad next = *std::exchange(m_pendingLoad, std::nullopt);
        loadObject(next.strObjectID, next.iObjectType);
    }
}

void PropertyPane::loadObject(const QString& strObjectID, qint16 iObjectType)
{
    const LoadScope load(*this);
    // Paint events run during a load (the greetings', the message boxes'); the pane and its
    // header keep what the screen showed until every value is in, never a half-filled page.
    const HeldPainting held({this, lblCurrentObjectDisplayName});
    switch (iObjectType) {
    case 1:
    case 99:
        loadSection(SubscriberTab, strObjectID, true);
        break;
    case 3:
    case 98:
        loadSection(CallHandlerTab, strObjectID, true);
        break;
    case 5:
        loadSection(InterviewerTab, strObjectID, true);
        break;
    case 6:
        // Its section stops the media controls itself, once the handler is found.
        loadSection(DirectoryHandlerTab, strObjectID, false);
        break;
    case 0: {
        // The row text is the child alias, ": " and what the link does; the action is the part
        // after the first colon (a text without one is shown whole).
        QString text;
        runStepSilently([&] {
            if (m_currentRowText)
                text = m_currentRowText();
        });
        const int colon = text.indexOf(QLatin1Char(':'));
        loadLeaf(text.mid(colon + 1).trimmed());
        break;
    }
    case 97:
        loadLeaf(QStringLiteral(" Invalid Link!"));
        break;
    default:
        runStepSilently([&] {
            if (lblCurrentObjectDisplayName)
                lblCurrentObjectDisplayName->clear();
        });
        m_state.prompts.msgBox(QStringLiteral("Error: Illegal node type in LoadTabInfo function"));
        break;
    }
}

void PropertyPane::PopulateControls()
{
    fillFixedLists();
    runPendingLoad();
}

void PropertyPane::fillFixedLists()
{
    SharedState& s = m_state;
    const StepErrors errors(QStringLiteral("Error in PopulateControls: "));
    auto step = [&](auto&& body) { runStep(s.prompts, errors, body); };
    // Choosing the lists' first items is no edit of any object: their handlers apply what they
    // show but write nothing while a load is marked.
    const LoadScope load(*this);

    step([&] { m_subscriber->cmbSubscriberTransferType->setCurrentIndex(0); });
    for (TransferRuleTab* rule : m_callHandler->transferRule)
        step([&] { rule->transferType->setCurrentIndex(0); });

    Recordset& schedules = s.cache.rsSchedule;
    bool none = false;
    step([&] { none = schedules.recordCount() == 0; });
    if (none) {
        s.prompts.msgBox(QStringLiteral("No schedules are defined on the local Talvo server!"));
    } else {
        // A schedule whose name cannot be read is reported and left out; the others still come.
        bool more = runStep(s.prompts, errors, [&] { schedules.moveFirst(); });
        while (more && !schedules.isEOF()) {
            step([&] {
                const QString name = schedules.field(QStringLiteral("DisplayName")).toText();
                m_callHandler->cmbHandlerProfileSchedule->addItem(name);
                m_subscriber->cmbSubscriberProfileSchedule->addItem(name);
            });
            more = runStep(s.prompts, errors, [&] { schedules.moveNext(); });
        }
    }
    for (QComboBox* list : {m_callHandler->cmbHandlerProfileSchedule, m_subscriber->cmbSubscriberProfileSchedule})
        list->setCurrentIndex(-1);

    step([&] {
        s.DefaultTUILanguage =
            QueryRegistryValue(s.registry, HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Halvane\\Sorvic Setup\\1.0\\Properties"),
                               QStringLiteral("TUILanguageDefault"), RegistryType::Text, QString())
                .textOrEmpty();
    });

    s.SwitchNames = QStringList{QString(), QString()};
    step([&] {
        s.SwitchNames[0] = QueryRegistryValue(s.registry, HKEY_LOCAL_MACHINE, kIntegrations + QStringLiteral("integration1"),
                                              QStringLiteral("DisplayName"), RegistryType::Text, QString())
                               .textOrEmpty();
    });
    step([&] {
        if (!RegKeyExists(s.registry, HKEY_LOCAL_MACHINE, kIntegrations + QStringLiteral("integration1")))
            return;
        s.SwitchNames.append(QString());
        s.SwitchNames[1] = QueryRegistryValue(s.registry, HKEY_LOCAL_MACHINE, kIntegrations + QStringLiteral("integration2"),
                                              QStringLiteral("DisplayName"), RegistryType::Text, QString())
                               .textOrEmpty();
    });
}

void PropertyPane::ShowDirectoryHandlerTabs()
{
    m_directoryHandler->setTabVisible(1, false);
    m_directoryHandler->setTabVisible(2, true);
}

void PropertyPane::CreateMediaControl(MediaControl which)
{
    const MediaControlSlot& slot = kMediaControls[slotOf(which)];
    QGroupBox* frames[] = {m_callHandler->frameSonotropeHandlerGreeting, m_subscriber->frameSonotropeSubscriberGreeting,
                           m_interviewer->frameSonotropeInterviewQuestions};
    QGroupBox* frame = frames[slotOf(which)];
    auto* control = new SonotropeCtrl(m_state.environment.audioDevices(), frame);
    control->setObjectName(QString::fromLatin1(slot.key));
    m_mediaControls[slotOf(which)] = control;
    control->move(Twips::toPixelsX(370, this), Twips::toPixelsY(175, this));
    control->setSoundFile(QString());
    control->setTempRecordingFile(m_state.environment.programFolder.file(QString::fromLatin1(slot.tempFile)));
    control->setControlActive(-1);
    control->setInPlaceMode(-1);
    control->setVisible(true);
    for (const MediaControlListener& listener : m_mediaControlListeners)
        listener(which, *control);
}

SonotropeCtrl* PropertyPane::mediaControl(MediaControl which) const
{
    return m_mediaControls[slotOf(which)];
}

void PropertyPane::addMediaControlListener(MediaControlListener listener)
{
    m_mediaControlListeners.push_back(std::move(listener));
}

GreetingPageControls PropertyPane::handlerGreetingControls() const
{
    return m_callHandler->greetingControls();
}

GreetingPageControls PropertyPane::subscriberGreetingControls() const
{
    return m_subscriber->greetingControls();
}

HandlerTransferControls PropertyPane::handlerTransferControls() const
{
    return m_callHandler->transferControls();
}

TransferRuleControls PropertyPane::subscriberTransferControls() const
{
    return m_subscriber->transferRule->controls();
}

ProfileControls PropertyPane::profileControls() const
{
    const CallHandlerPage& ch = *m_callHandler;
    const SubscriberPage& sub = *m_subscriber;
    const InterviewerPage& ih = *m_interviewer;
    const DirectoryHandlerPage& dh = *m_directoryHandler;
    ProfileControls c;
    c.txtHandlerProfileDisplayName = ch.txtHandlerProfileDisplayName;
    c.txtHandlerProfileExtension = ch.txtHandlerProfileExtension;
    c.cmbHandlerProfileSchedule = ch.cmbHandlerProfileSchedule;
    c.txtHandlerProfileOwner = ch.txtHandlerProfileOwner;
    c.cmdHandlerChangeOwner = ch.cmdHandlerChangeOwner;
    c.txtHandlerMessagesRecipient = ch.txtHandlerMessagesRecipient;
    c.cmdHandlerMessagesChangeRecipient = ch.cmdHandlerMessagesChangeRecipient;
    c.txtHandlerMessagesMaxMessageLength = ch.txtHandlerMessagesMaxMessageLength;
    c.chkHandlerMessagesCanEditMessages = ch.chkHandlerMessagesCanEditMessages;
    c.cmbHandlerMessagesCanMarkUrgent = ch.cmbHandlerMessagesCanMarkUrgent;
    c.txtSubscriberProfileExtension = sub.txtSubscriberProfileExtension;
    c.cmbSubscriberProfileSchedule = sub.cmbSubscriberProfileSchedule;
    c.txtSubscriberMessagesMaxMessageLength = sub.txtSubscriberMessagesMaxMessageLength;
    c.chkSubscriberMessagesCanEditMessages = sub.chkSubscriberMessagesCanEditMessages;
    c.cmbSubscriberMessagesCanMarkUrgent = sub.cmbSubscriberMessagesCanMarkUrgent;
    c.txtInterviewerDisplayName = ih.txtInterviewerDisplayName;
    c.txtInterviewerExtension = ih.txtInterviewerExtension;
    c.txtInterviewerOwner = ih.txtInterviewerOwner;
    c.cmdInterviewerProfileSetOwner = ih.cmdInterviewerProfileSetOwner;
    c.txtInterviewerRecipient = ih.txtInterviewerRecipient;
    c.cmdInterviewerProfileSetRecipient = ih.cmdInterviewerProfileSetRecipient;
    c.txtDirectoryHandlerDisplayName = dh.txtDirectoryHandlerDisplayName;
    c.txtDirectoryHandlerExtension = dh.txtDirectoryHandlerExtension;
    return c;
}

QLineEdit* PropertyPane::linkBox(const QString& selector) const
{
    const std::pair<const char*, QLineEdit*> boxes[] = {
        {"IntAM", m_interviewer->txtInterviewerAfterMessageAction},
        {"DirExit", m_directoryHandler->txtDirectoryHandlerExitAction},
        {"DirNoInputExit", m_directoryHandler->txtDirectoryHandlerNoInputExitAction},
        {"DirNoSelectionExit", m_directoryHandler->txtDirectoryHandlerNoSelectionExitAction},
        {"DirZeroExit", m_directoryHandler->txtDirectoryHandlerZeroExitAction},
    };
    for (const auto& [s, box] : boxes)
        if (selector == QLatin1String(s))
            return box;
    return nullptr;
}

std::vector<ChooseActionButton> PropertyPane::chooseActionButtons() const
{
    using Link = ChooseActionLink;
    std::vector<ChooseActionButton> buttons;
    const GreetingPageControls handler = handlerGreetingControls();
    const GreetingPageControls subscriber = subscriberGreetingControls();
    for (int i = 0; i < GreetingCount; ++i) {
        buttons.push_back({handler.greetings[size_t(i)].changeAfterGreeting, Link::HandlerGreeting, i});
        buttons.push_back({subscriber.greetings[size_t(i)].changeAfterGreeting, Link::SubscriberGreeting, i});
    }
    buttons.insert(buttons.end(), {{m_callHandler->cmdHandlerSetAfterMessageAction, Link::HandlerAfterMessage},
                                   {m_subscriber->cmdSubscriberMessagesChangeAfterMessageAction, Link::SubscriberAfterMessage},
                                   {m_subscriber->cmdSubscriberConversationExitAction, Link::SubscriberExit},
                                   {m_interviewer->cmdInterviewerProfileChangeAfterMessageAction, Link::InterviewerAfterMessage},
                                   {m_directoryHandler->cmdDirectoryHandlerSetExit, Link::DirectoryExit},
                                   {m_directoryHandler->cmdDirectoryHandlerSetNoInputExit, Link::DirectoryNoInputExit},
                                   {m_directoryHandler->cmdDirectoryHandlerSetNoSelectionExit, Link::DirectoryNoSelectionExit},
                                   {m_directoryHandler->cmdDirectoryHandlerSetZeroExit, Link::DirectoryZeroExit}});
    return buttons;
}

InterviewQuestionControls PropertyPane::interviewQuestionControls() const
{
    return m_interviewer->questionControls();
}

QString PropertyPane::ShownCallHandlerID(EditorPage page) const
{
    return shownObjectID(page == EditorPage::CallHandler ? CallHandlerTab : SubscriberTab);
}

bool PropertyPane::ShownObject(QString& strObjectID, qint16& iObjectType) const
{
    static constexpr qint16 kNodeTypes[] = {1, 3, 5, -1, 6}; // by Tab; a leaf is no object
    const int tab = currentIndex();
    if (tab < 0 || tab >= int(std::size(kNodeTypes)) || kNodeTypes[tab] < 0)
        return false;
    strObjectID = shownObjectID(Tab(tab));
    iObjectType = kNodeTypes[tab];
    return !strObjectID.isEmpty();
}

QString PropertyPane::shownObjectID(Tab tab) const
{
    const PaneSection* section = m_sections[size_t(tab)];
    return section ? section->shownObjectID() : QString();
}
