#include "greetings/RecordCommands.h"

#include "data/SharedState.h"
#include "db/RowUpdate.h"
#include "greetings/EditorRows.h"
#include "greetings/SoundBinding.h"
#include "greetings/frmRecordFile.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "system/SharedFileSystem.h"
#include "widgets/PendingEvents.h"
#include "widgets/SonotropeCtrl.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>

namespace {

// A control that is not ready yet is asked again at most this often in one run.
constexpr int kNotReadyRetries = 10;

} // namespace

struct RecordCommands::Command {
    PaneOperations::MediaControl control;
    const GreetingPageControls* page; // none for the question list
    EditorPage editorPage;
    QString name;
};

RecordCommands::RecordCommands(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane)
{
    m_pane.addMediaControlListener([](PaneOperations::MediaControl which, SonotropeCtrl& control) {
        // Nothing would keep a recording made in these controls; they record through the window.
        if (which != PaneOperations::MediaControl::HandlerGreetings)
            control.setRecordingAllowed(false);
    });
}

void RecordCommands::connectHandlerPage(const GreetingPageControls& controls)
{
    m_handlerPage = controls;
    if (controls.record)
        connectGuarded(m_state.prompts, controls.record, &QAbstractButton::clicked, this, [this] { cmdHandlerRecord_Click(); });
}

void RecordCommands::connectSubscriberPage(const GreetingPageControls& controls)
{
    m_subscriberPage = controls;
    if (controls.record)
        connectGuarded(m_state.prompts, controls.record, &QAbstractButton::clicked, this, [this] { cmdSubscriberRecord_Click(); });
}

void RecordCommands::connectInterviewerPage(const InterviewQuestionControls& controls)
{
    m_questions = controls;
    if (controls.record)
        connectGuarded(m_state.prompts, controls.record, &QAbstractButton::clicked, this, [this] { cmdInterviewerRecord_Click(); });
}

void RecordCommands::cmdHandlerRecord_Click()
{
    run({PaneOperations::MediaControl::HandlerGreetings, &m_handlerPage, EditorPage::CallHandler,
         QStringLiteral("cmdHandlerRecord")});
}

void RecordCommands::cmdSubscriberRecord_Click()
{
    run({PaneOperations::MediaControl::SubscriberGreetings, &m_subscriberPage, EditorPage::Subscriber,
         QStringLiteral("cmdSubscriberRecord")});
}

void RecordCommands::cmdInterviewerRecord_Click()
{
    run({PaneOperations::MediaControl::InterviewerQuestions, nullptr, EditorPage::CallHandler,
         QStringLiteral("cmdInterviewerRecord")});
}

void RecordCommands::run(const Command& command)
{
    SonotropeCtrl* control = m_pane.mediaControl(command.control);
    if (!control)
        return;
    UserPrompts& prompts = m_state.prompts;
    RecordsetCache& cache = m_state.cache;
    Recordset& rules = cache.rsMessagingRule;

    const StepErrors errors(QStringLiteral("Error in %1:").arg(command.name));
    // A step that fails because the control is not ready runs again, ten times in all per run.
    RetryingSteps steps(prompts, errors,
                        {ErrorNumber::ProviderFailure, kNotReadyRetries,
                         QStringLiteral("Error in %1 - Unable to reload audio in Sonotrope control").arg(command.name),
                         letPaintEventsRun});

    // What is recorded over and where the recording goes are fixed now: the greeting or question
    // shown at the click, whatever the page shows by the time the window closes.
    QString handler;
    QString greetingId;
    QString stored;
    // Which greeting tab or question the page shows; if that changes meanwhile, the page has
    // bound the control to what it shows now and that binding stays.
    auto shownNow = [&] {
        if (command.page)
            return command.page->tabs ? command.page->tabs->currentIndex() : -1;
        return m_questions.grid ? m_questions.grid->currentRow() : -1;
    };
    const int shown = shownNow();
    if (command.page) {
        if (shown < 0 || shown >= GreetingCount)
            return;
        greetingId = command.page->greetings[size_t(shown)].objectId->text().trimmed();
        handler = m_pane.ShownCallHandlerID(command.editorPage);
        bool found = false;
        if (!handler.isEmpty())
            runStep(prompts, errors, [&] {
                EditorRows::findGreetingById(cache, handler, greetingId);
                found = !rules.isEOF();
            });
        if (!found) {
            prompts.msgBox(QStringLiteral("error in %1 - unable to find messaging rule by ObjectID=").arg(command.name)
                           + greetingId);
            return;
        }
        stored = rules.field(QStringLiteral("StreamPath")).textOrEmpty();
    } else {
        const QTableWidgetItem* cell = shown >= 0 ? m_questions.grid->item(shown, QuestionColumn::StreamPath) : nullptr;
        stored = cell ? cell->text() : QString();
    }
    const QString fileName = SharedFileSystem::GetFileName(stored);
    if (fileName.isEmpty()) {
        prompts.msgBox(QStringLiteral("Error in %1: the sound has no file name to record into").arg(command.name));
        return;
    }
    // Recorded over is the file the page plays, found as the page's binding finds it.
    QString path =
        command.page
            ? localPathFromStored(boundSoundPath(m_state.StreamFilesPath, stored), QString())
            : localPathFromStored(stored.contains(QLatin1String(":\\")) ? stored : m_state.StreamFilesPath + stored, QString());

    // The control lets go of the sound being replaced while the window records over a copy.
    steps.run([&] { control->StopSound(); });
    steps.run([&] { control->setSoundFile(m_state.environment.programFolder.file(QStringLiteral("donotdelete.wav"))); });
    steps.run([&] { control->LoadSound(); });
    steps.run([&] { control->StopSound(); });

    QWidget* frame = control->parentWidget() ? control->parentWidget() : control;
    frmRecordFile window(m_state.environment.programFolder, m_state.fileSystem, m_state.environment.audioDevices, prompts);
    window.strRecordOverFileName = path;
    window.showRecordingAt(frame->mapToGlobal(QPoint(0, 0)));
    control->window()->raise();
    control->window()->activateWindow();

    const QString notFound =
        QStringLiteral("error in %1 - unable to find messaging rule by ObjectID=").arg(command.name) + greetingId;
    // Another tool may have deleted the greeting meanwhile: then its file is left alone.
    auto findRow = [&] {
        bool found = false;
        runStep(prompts, errors, [&] {
            rules.requery();
            EditorRows::findGreetingById(cache, handler, greetingId);
            found = !rules.isEOF();
        });
        if (!found)
            prompts.msgBox(notFound);
        return found;
    };
    bool copied = false;
    if (window.bFileRecorded && (!command.page || findRow())) {
        const QString target = localPathFromStored(m_state.StreamFilesPath + fileName, QString());
        copied = steps.run([&] { m_state.fileSystem.CopyFile(window.strRecordedFilePath, target, true); });
        if (copied)
            path = target;
    }
    letPaintEventsRun();

    if (shownNow() == shown) {
        steps.run([&] { control->setSoundFile(path); });
        control->setToolTip(path);
        if (m_state.fileSystem.FileExists(path))
            steps.run([&] { control->LoadSound(); });
    }

    // The row changes only when its file did.
    if (!command.page || !copied)
        return;
    if (!findRow())
        return;
    if (!writeRow(prompts, errors, rules, [&] { rules.setField(QStringLiteral("StreamPath"), fileName); }))
        return;
    runStep(prompts, errors, [&] {
        m_state.changeLog.LogChange(QStringLiteral("UPDATE"), QStringLiteral("MessagingRule"), rules.field(QStringLiteral("Alias")),
                                    QStringLiteral("CallHandler"), cache.rsCallHandler.field(QStringLiteral("Alias")),
                                    QStringLiteral("StreamPath"), fileName);
    });
}
