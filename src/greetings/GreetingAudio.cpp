#include "greetings/GreetingAudio.h"

#include "data/SharedState.h"
#include "greetings/EditorRows.h"
#include "greetings/SoundBinding.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "system/SharedFileSystem.h"
#include "widgets/PendingEvents.h"
#include "widgets/SonotropeCtrl.h"

#include <QLineEdit>
#include <QTabWidget>

namespace {

// A control that is not ready yet is asked again this often before the commit gives up.
constexpr int kCommitRetries = 10;

bool notReady(const RuntimeError& e)
{
    return e.number() == ErrorNumber::ProviderFailure;
}

bool isFullPath(const QString& text)
{
    return text.contains(QLatin1String(":\\")) || text.startsWith(QLatin1Char('/'));
}

// The file a greeting's StreamPath names.
QString greetingFilePath(const QString& streamFilesPath, const QString& streamPath)
{
    return isFullPath(streamPath) ? streamPath : streamFilesPath + streamPath;
}

} // namespace

GreetingAudio::GreetingAudio(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane)
{
    m_pane.setGreetingOperations(this);
}

GreetingAudio::~GreetingAudio()
{
    m_pane.setGreetingOperations(nullptr);
}

void GreetingAudio::connectHandlerPage(const GreetingPageControls& controls)
{
    m_handlerPage = controls;
    m_pane.addMediaControlListener([this](PaneOperations::MediaControl which, SonotropeCtrl& control) {
        if (which == PaneOperations::MediaControl::HandlerGreetings)
            connectGuarded(m_state.prompts, &control, &SonotropeCtrl::LostFocus, this, [this] { snHandlerGreetings_LostFocus(); });
    });
}

void GreetingAudio::tabHandlerGreetingInfo_Click(int)
{
    bind(m_handlerPage, m_pane.mediaControl(PaneOperations::MediaControl::HandlerGreetings),
         QStringLiteral("Error in tabHandlerGreetingInfo_Click:"));
}

void GreetingAudio::tabSubscriberGreetings_Click(int)
{
    bind(m_subscriberPage, m_pane.mediaControl(PaneOperations::MediaControl::SubscriberGreetings),
         QStringLiteral("Error in tabSubscriberGreetingInfo_Clice:"));
}

void GreetingAudio::bind(const GreetingPageControls& page, SonotropeCtrl* control, const QString& errorPrefix)
{
    if (!page.tabs)
        return;
    const int shown = page.tabs->currentIndex();
    for (int i = 0; i < GreetingCount; ++i)
        page.frames[size_t(i)]->setVisible(i == shown);
    if (!control || shown < 0 || shown >= GreetingCount)
        return;

    SoundBindingSteps step(*control, m_state.prompts, errorPrefix);
    step([&] { control->StopSound(); });
    letPaintEventsRun();
    step([&] {
        // A greeting without a file binds none, not the stream-files folder.
        const QString text = page.greetings[size_t(shown)].streamPath->text();
        control->setSoundFile(text.isEmpty() ? QString()
                                             : localPathFromStored(boundSoundPath(m_state.StreamFilesPath, text), QString()));
    });
    step([&] { control->setToolTip(control->SoundFile()); });
    step([&] { control->setControlActive(-1); });
    step([&] {
        letPaintEventsRun();
        control->LoadSound();
    });
}

void GreetingAudio::snHandlerGreetings_LostFocus()
{
    SonotropeCtrl* control = m_pane.mediaControl(PaneOperations::MediaControl::HandlerGreetings);
    if (control)
        commitInPlaceRecording(*control);
    if (m_handlerPage.tabs)
        m_handlerPage.tabs->setEnabled(true);
    letPaintEventsRun();
}

void GreetingAudio::commitInPlaceRecording(SonotropeCtrl& control)
{
    if (control.SoundChanged() == 0)
        return;
    UserPrompts& prompts = m_state.prompts;
    const StepErrors errors(QStringLiteral("Error in tabHandlerGreetingInfo_LostFocus:"));
    auto step = [&](auto&& body) { return runStep(prompts, errors, body); };
    // Loading and stopping wait for a control that is not ready yet.
    auto patiently = [&](auto&& body) {
        for (int attempt = 0;; ++attempt) {
            try {
                body();
                return;
            } catch (const RuntimeError& e) {
                if (!notReady(e) || attempt >= kCommitRetries) {
                    prompts.msgBox(QStringLiteral("error in UpdateHandlerGreetingControl:") + e.description());
                    return;
                }
                letPaintEventsRun();
            }
        }
    };

    step([&] { control.SaveRecording(); });
    step([&] { control.StopSound(); });
    control.setInPlaceMode(-1);
    letPaintEventsRun();
    patiently([&] { control.LoadSound(); });
    patiently([&] { control.StopSound(); });
    letPaintEventsRun();

    const int shown = m_handlerPage.tabs->currentIndex();
    if (shown < 0 || shown >= GreetingCount)
        return;
    QLineEdit* idBox = m_handlerPage.greetings[size_t(shown)].objectId;
    QLineEdit* pathBox = m_handlerPage.greetings[size_t(shown)].streamPath;
    const QString handler = m_pane.ShownCallHandlerID(EditorPage::CallHandler);
    Recordset& rules = m_state.cache.rsMessagingRule;
    bool found = false;
    if (!handler.isEmpty())
        step([&] {
            EditorRows::findGreetingById(m_state.cache, handler, idBox->text().trimmed());
            found = !rules.isEOF();
        });
    if (!found) {
        prompts.msgBox(QStringLiteral("Error in snHandlerGreetings - unable to find messaging rule by objectID=") + idBox->text());
        return;
    }

    const QString temporary = control.SoundFile();
    if (!temporary.contains(QLatin1String("TWR_TEMP_"), Qt::CaseInsensitive))
        return; // the control saved into the greeting's own file

    // The recording stays in its temporary file, bound to the control, until it is safely in
    // the greeting's file.
    QString stored;
    if (!step([&] {
            const QString streamPath = rules.field(QStringLiteral("StreamPath")).textOrEmpty();
            if (streamPath.isEmpty())
                throwError(FileErrorNumber::FileNotFound, QStringLiteral("File not found"));
            stored = greetingFilePath(m_state.StreamFilesPath, streamPath);
            m_state.fileSystem.CopyFile(temporary, localPathFromStored(stored, QString()), true);
        }))
        return;
    step([&] {
        control.setSoundFile(localPathFromStored(stored, QString()));
        pathBox->setText(stored);
    });
    letPaintEventsRun();
    patiently([&] { control.LoadSound(); });
    letPaintEventsRun();
    step([&] { m_state.fileSystem.DeleteFile(temporary, true); });
}
