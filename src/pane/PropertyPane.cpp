#include "pane/PropertyPane.h"

#include "data/SharedState.h"
#include "widgets/Named.h"
#include "widgets/SonotropeCtrl.h"
#include "widgets/Twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

struct MediaControlSpec {
    const char* frame;
    const char* key;
    const char* tempFile;
    int page; // the tab of frameMainTab that holds the frame
};

// In the order the start-up creates them.
const std::array<MediaControlSpec, PaneOperations::MediaControlCount> kMediaControls = {{
    {"frameSonotropeHandlerGreeting", "SotrHandlerGreeting", "TempHandlerWavFile.wav", 1},
    {"frameSonotropeSubscriberGreeting", "SotrsubscriberGreeting", "TempSubscriberWavFile.wav", 0},
    {"frameSonotropeInterviewQuestions", "SotrInterviewerQuestion", "TempInterviewerWavFile.wav", 2},
}};

size_t slotOf(PaneOperations::MediaControl which)
{
    return static_cast<size_t>(which);
}

} // namespace

PropertyPane::PropertyPane(SharedState& state, QWidget* parent)
    : QTabWidget(parent),
      m_state(state)
{
    setObjectName(QStringLiteral("tabInfoTab"));
    const char* frameNames[] = {"frameMainTab_0", "frameMainTab_1", "frameMainTab_2", "frameMainTab_3"};
    const QString captions[] = {QStringLiteral("Subscriber"), QStringLiteral("Call Handler"), QStringLiteral("Interviewer"),
                                QStringLiteral("Leaf")};
    for (size_t i = 0; i < frameMainTab.size(); ++i) {
        auto* page = new QWidget;
        frameMainTab[i] = named(new QFrame(page), frameNames[i]);
        frameMainTab[i]->setGeometry(Twips::toPixels(0, 0, 6450, 4100, this));
        addTab(page, captions[i]);
    }
    tabDirectoryHandlerInfo = named(new QTabWidget, "tabDirectoryHandlerInfo");
    tabDirectoryHandlerInfo->addTab(new QWidget, QStringLiteral("Profile"));
    tabDirectoryHandlerInfo->addTab(new QWidget, QStringLiteral("Search Options"));
    tabDirectoryHandlerInfo->addTab(new QWidget, QStringLiteral("Caller Input"));
    addTab(tabDirectoryHandlerInfo, QStringLiteral("Directory Handler"));

    auto* leafLabel = named(new QLabel(QStringLiteral("Leaf Node Action:"), frameMainTab[3]), "lblLeafAction");
    Twips::place(leafLabel, 240, 360, 2000, 255);
    leafLabel->resize(leafLabel->size().expandedTo(leafLabel->sizeHint()));
    txtLeafAction = named(new QLineEdit(frameMainTab[3]), "txtLeafAction");
    txtLeafAction->setReadOnly(true);
    leafLabel->setBuddy(txtLeafAction);
    Twips::place(txtLeafAction, 240, 660, 5000, 315);

    // The media controls' frames; the controls themselves are created by the start-up.
    for (size_t i = 0; i < kMediaControls.size(); ++i) {
        m_mediaFrames[i] = named(new QGroupBox(frameMainTab[size_t(kMediaControls[i].page)]), kMediaControls[i].frame);
        Twips::place(m_mediaFrames[i], 120, 3000, 6000, 1000);
    }
}

void PropertyPane::PopulateControls()
{
    // The fixed lists come with the pages that hold them.
}

void PropertyPane::LoadTabInfo(const QString&, qint16)
{
    // The pages' loads come with the pages.
}

void PropertyPane::ShowDirectoryHandlerTabs()
{
    tabDirectoryHandlerInfo->setTabVisible(1, false);
    tabDirectoryHandlerInfo->setTabVisible(2, true);
}

void PropertyPane::CreateMediaControl(MediaControl which)
{
    const MediaControlSpec& spec = kMediaControls[slotOf(which)];
    QGroupBox* frame = m_mediaFrames[slotOf(which)];
    auto* control = new SonotropeCtrl(m_state.environment.audioDevices(), frame);
    control->setObjectName(QString::fromLatin1(spec.key));
    m_mediaControls[slotOf(which)] = control;
    control->move(Twips::toPixelsX(370, this), Twips::toPixelsY(175, this));
    control->setSoundFile(QString());
    control->setTempRecordingFile(m_state.environment.programFolder.file(QString::fromLatin1(spec.tempFile)));
    control->setControlActive(-1);
    control->setInPlaceMode(-1);
    control->setVisible(true);
}

SonotropeCtrl* PropertyPane::mediaControl(MediaControl which) const
{
    return m_mediaControls[slotOf(which)];
}
