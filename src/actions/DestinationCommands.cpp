#include "actions/DestinationCommands.h"

#include "actions/LinkPopUpState.h"
#include "actions/LinkRefresh.h"
#include "actions/LinkWriter.h"
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "dialogs/DialogOperations.h"
#include "runtime/ErrorHandling.h"
#include "tree/TreeRowModel.h"
#include "widgets/OutlineGrid.h"

namespace {

const QString kNameLookupHandlerObjectID = QStringLiteral("NameLookupHandlerObjectID");
const QString kCallHandlerObjectID = QStringLiteral("CallHandlerObjectID");
const QString kSubscriberObjectID = QStringLiteral("SubscriberObjectID");
const QString kParentObjectID = QStringLiteral("ParentObjectID");

// What a command says when the link to a handler its dialog created was not made: the handler
// stays.
QString notLinked(const DialogOperations::GetHandlerResult& picked, const QString& kind)
{
    return picked.bCreated ? QStringLiteral("The new %1 was created; the link to it was not made.").arg(kind) : QString();
}

QString withNote(const QString& message, const QString& note)
{
    return note.isEmpty() ? message : message + QStringLiteral("\r\n") + note;
}

// Stands the recordset on the row with the id, searching from its first row. A row not found
// leaves it on its first row, never past its end, so the editors that read it find a row.
bool refind(Recordset& rs, const QString& column, const QString& id)
{
    rs.moveFirst();
    if (rs.find(column, id))
        return true;
    rs.moveFirst();
    return false;
}

} // namespace

DestinationCommands::DestinationCommands(SharedState& state, LinkPopUpState& popUpState, LinkWriter& writer, LinkRefresh& refresh)
    : m_state(state),
      m_popUpState(popUpState),
      m_writer(writer),
      m_refresh(refresh)
{
}

std::optional<DestinationCommands::Remembered> DestinationCommands::remember(const StepErrors& errors, bool forCallHandler)
{
    RecordsetCache& cache = m_state.cache;
    Remembered r;
    // A recordset without a current row remembers nothing.
    if (forCallHandler) {
        runStepSilently([&] { r.greetingAlias = cache.rsMessagingRule.field(QStringLiteral("Alias")).textOrEmpty(); });
        runStepSilently([&] { r.callHandler = cache.rsCallHandler.field(kCallHandlerObjectID).textOrEmpty(); });
        runStepSilently([&] { r.subscriber = cache.rsSubscriber.field(kSubscriberObjectID).textOrEmpty(); });
    }
    runStepSilently([&] { r.directoryHandler = cache.rsNameLookupHandler.field(kNameLookupHandlerObjectID).textOrEmpty(); });
    runStepSilently(
        [&] { r.interviewHandler = cache.rsInterviewHandler.field(QStringLiteral("InterviewHandlerObjectID")).textOrEmpty(); });

    std::optional<ChosenLink> link;
    runStep(m_state.prompts, errors, [&] { link = m_popUpState.commandLink(); });
    if (!link)
        return std::nullopt;
    r.link = *link;
    return r;
}

bool DestinationCommands::refindDirectoryHandler(const Remembered& r)
{
    if (r.directoryHandler.isEmpty())
        return linkPlaceOf(r.link.selector) != LinkPlace::DirectoryExit;
    return refind(m_state.cache.rsNameLookupHandler, kNameLookupHandlerObjectID, r.directoryHandler);
}

void DestinationCommands::LinkCallHandler_Click()
{
    if (!m_dialogs)
        return;
    const StepErrors errors(QStringLiteral("Error in LinkCreateNewCallHandler_click: "));
    const std::optional<Remembered> r = remember(errors, true);
    if (!r)
        return;
    const DialogOperations::GetCallHandlerResult picked =
        m_dialogs->frmMakeNewCallHandler(DialogOperations::GetCallHandlerTab::AsTheDialogHasIt);
    if (picked.bCancel)
        return;
    const QString destination = picked.strObjectID;
    const QString note = notLinked(picked, QStringLiteral("call handler"));

    RecordsetCache& cache = m_state.cache;
    runStep(m_state.prompts, errors, [&] { cache.RequeryAllRecordsets(); });
    runStep(m_state.prompts, errors, [&] {
        if (ObjectListOperations* list = m_refresh.parts().objectList)
            list->LoadGridView();
    });
    runStep(m_state.prompts, errors, [&] { refindDirectoryHandler(*r); });
    runStep(m_state.prompts, errors, [&] {
        cache.rsMenuentry.clearFilter();
        cache.rsContactRule.clearFilter();
        cache.rsMessagingRule.clearFilter();
        cache.rsCallHandler.clearFilter();
    });
    bool found = false;
    if (!runStep(m_state.prompts, errors, [&] { found = refind(cache.rsCallHandler, kCallHandlerObjectID, r->callHandler); }))
        return;
    if (!found) {
        m_state.prompts.msgBox(withNote(
            QStringLiteral("Error in LinkcreateNewCallHandler - could not find new handler with object id=") + r->callHandler,
            note));
        return;
    }
    // Only a subscriber that was current, or whose exit is the link, has to be there still.
    if (!r->subscriber.isEmpty() || r->link.selector == QLatin1String("SubExit")) {
        if (!runStep(m_state.prompts, errors, [&] { found = refind(cache.rsSubscriber, kSubscriberObjectID, r->subscriber); }))
            return;
        if (!found) {
            m_state.prompts.msgBox(withNote(
                QStringLiteral("Error in LinkcreateNewCallHandler - could not find subscriber with object id=") + r->subscriber,
                note));
            return;
        }
    }
    runStep(m_state.prompts, errors, [&] {
        cache.rsMenuentry.setFilter(kParentObjectID, r->callHandler);
        cache.rsContactRule.setFilter(kParentObjectID, r->callHandler);
        cache.rsMessagingRule.setFilter(kParentObjectID, r->callHandler);
    });
    runStep(m_state.prompts, errors, [&] { refind(cache.rsMessagingRule, QStringLiteral("Alias"), r->greetingAlias); });
    m_writer.linkProcessLinkInfo(r->link, destination, QStringLiteral("PHTransfer"), LinkAction::GoTo, LinkObjectType::CallHandler,
                                 false, note);
}

void DestinationCommands::LinkInterviewer_Click()
{
    if (!m_dialogs)
        return;
    const StepErrors errors(QStringLiteral("Error in LinkCreateNewInterviewer_click: "));
    const std::optional<Remembered> r = remember(errors, false);
    if (!r)
        return;
    const DialogOperations::GetHandlerResult picked = m_dialogs->frmMakeNewInterviewer();
    if (picked.bCancel)
        return;
    runStep(m_state.prompts, errors, [&] {
        refindDirectoryHandler(*r);
        // A creation leaves its new handler current; the pane's editors go on with the one they show.
        if (!r->interviewHandler.isEmpty())
            refind(m_state.cache.rsInterviewHandler, QStringLiteral("InterviewHandlerObjectID"), r->interviewHandler);
    });
    // A created handler's first question was stored with it; a picked one keeps its own.
    m_writer.linkProcessLinkInfo(r->link, picked.strObjectID, QStringLiteral("CHInterview"), LinkAction::GoTo,
                                 LinkObjectType::Interviewer, false, notLinked(picked, QStringLiteral("interview handler")));
}

void DestinationCommands::LinkSubscriber_Click()
{
    if (!m_dialogs)
        return;
    const StepErrors errors(QStringLiteral("Error in LinkChooseExistingSubscriber_click :"));
    const std::optional<Remembered> r = remember(errors, false);
    if (!r)
        return;
    const DialogOperations::SubscriberSearchResult picked = m_dialogs->frmSubscriberSearch();
    if (picked.bCancelHit)
        return;
    runStep(m_state.prompts, errors, [&] { refindDirectoryHandler(*r); });
    OutlineGrid* grid = m_refresh.parts().grid;
    if (!m_popUpState.bLinkFromTab() && grid && grid->row() > 0 && grid->row() < grid->rowCount())
        grid->setCellData(grid->row(), TreeColumn::NodeType, Variant(int(TreeNodeType::Subscriber)));
    m_writer.linkProcessLinkInfo(r->link, picked.strObjectID, QStringLiteral("PHTransfer"), LinkAction::GoTo,
                                 LinkObjectType::CallHandler, true);
    if (r->link.selector != QLatin1String("SubExit"))
        runStep(m_state.prompts, errors, [&] { m_refresh.reloadCurrentRow(); });
}

void DestinationCommands::LinkDirectoryHandler_Click()
{
    if (!m_dialogs)
        return;
    const StepErrors errors(QStringLiteral("Error in LinkDirectoryHandler_Click:"));
    const std::optional<Remembered> r = remember(errors, false);
    if (!r)
        return;
    const DialogOperations::GetHandlerResult picked = m_dialogs->frmMakeNewDirectoryHandler();
    if (picked.bCancel)
        return;
    const QString note = notLinked(picked, QStringLiteral("directory handler"));
    runStep(m_state.prompts, errors, [&] {
        if (ObjectListOperations* list = m_refresh.parts().objectList)
            list->LoadGridView();
    });
    bool found = false;
    if (!runStep(m_state.prompts, errors, [&] {
            m_state.cache.rsNameLookupHandler.clearFilter();
            found = refindDirectoryHandler(*r);
        }))
        return;
    if (!found) {
        m_state.prompts.msgBox(
            withNote(QStringLiteral("Error in LinkcreateNewDirectoryHandler - could not find new handler with object id=")
                         + r->directoryHandler,
                     note));
        return;
    }
    m_writer.linkProcessLinkInfo(r->link, picked.strObjectID, QStringLiteral("AD"), LinkAction::GoTo,
                                 LinkObjectType::DirectoryHandler, false, note);
}
