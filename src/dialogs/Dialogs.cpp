#include "dialogs/Dialogs.h"

#include "dialogs/AvailableExtensions.h"
#include "dialogs/GetHandlerDialog.h"
#include "dialogs/ObjectSearchDialog.h"
#include "dialogs/ScheduleEditor.h"
#include "dialogs/TransferStringFinder.h"

#include <QTabWidget>
#include <functional>

Dialogs::Dialogs(SharedState& state, QWidget* parent)
    : m_state(state),
      m_parent(parent),
      m_searches(this)
{
}

Dialogs::~Dialogs()
{
    delete m_interviewer;
}

template <typename Dialog>
DialogOperations::SearchResult Dialogs::search()
{
    SearchResult result;
    Dialog dialog(m_state, result, m_parent);
    dialog.exec();
    return result;
}

DialogOperations::GetCallHandlerResult Dialogs::frmMakeNewCallHandler(GetCallHandlerTab tab)
{
    GetHandlerResult result;
    ::frmMakeNewCallHandler dialog(m_state, *m_searches, result, strTemplateObjectID, m_parent);
    if (tab == GetCallHandlerTab::CreateNewHandler)
        dialog.tabs->setCurrentIndex(0);
    dialog.startShowing();
    dialog.exec();
    return result;
}

DialogOperations::GetHandlerResult Dialogs::frmMakeNewInterviewer()
{
    if (!m_interviewer) {
        m_interviewerResult = GetHandlerResult();
        m_interviewer = new ::frmMakeNewInterviewer(m_state, *m_searches, m_interviewerResult, m_parent);
        if (!m_interviewer->canShow()) {
            delete m_interviewer;
            return GetHandlerResult();
        }
    }
    m_interviewer->startShowing();
    m_interviewer->exec();
    const GetHandlerResult result = m_interviewerResult;
    // Only a Create keeps the dialog for the next showing; every other way out closes it.
    if (m_interviewer && !m_interviewer->createdOne())
        delete m_interviewer;
    return result;
}

DialogOperations::GetHandlerResult Dialogs::frmMakeNewDirectoryHandler()
{
    GetHandlerResult result;
    ::frmMakeNewDirectoryHandler dialog(m_state, *m_searches, result, m_parent);
    dialog.startShowing();
    dialog.exec();
    return result;
}

DialogOperations::SearchResult Dialogs::frmSubscriberSearch()
{
    return search<::frmSubscriberSearch>();
}

DialogOperations::SearchResult Dialogs::frmCallHandlerSearch()
{
    return search<::frmCallHandlerSearch>();
}

DialogOperations::SearchResult Dialogs::frmInterviewerSearch()
{
    return search<::frmInterviewerSearch>();
}

DialogOperations::SearchResult Dialogs::frmDistributionListSearch()
{
    return search<::frmDistributionListSearch>();
}

namespace {

template <typename Window>
void showTool(QPointer<Window>& window, const std::function<Window*()>& make)
{
    if (!window) {
        window = make();
        // Closing ends the window: the next showing loads a new one.
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void Dialogs::frmSchedules()
{
    showTool<::frmSchedules>(m_schedules, [this] { return new ::frmSchedules(m_state, m_parent); });
}

void Dialogs::frmAvailableExtensions()
{
    showTool<::frmAvailableExtensions>(m_availableExtensions, [this] { return new ::frmAvailableExtensions(m_state, m_parent); });
}

void Dialogs::frmFindTransferString()
{
    showTool<::frmFindTransferString>(m_transferString, [this] { return new ::frmFindTransferString(m_state, m_parent); });
}
