#pragma once

#include "dialogs/DialogOperations.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

// The creation, search and lookup dialogs for tests: every showing is recorded and answered from
// a script, Cancel when the script has run out. whileShown runs as if the user worked in the
// dialog, e.g. to store the handler it creates.
class ScriptedDialogs : public DialogOperations {
public:
    GetCallHandlerResult frmMakeNewCallHandler(GetCallHandlerTab tab) override
    {
        shown << QStringLiteral("frmMakeNewCallHandler");
        tabs.push_back(tab);
        if (whileShown)
            whileShown();
        if (m_callHandlers.empty())
            return {};
        const GetCallHandlerResult answer = m_callHandlers.front();
        m_callHandlers.pop_front();
        return answer;
    }

    SubscriberSearchResult frmSubscriberSearch() override
    {
        shown << QStringLiteral("frmSubscriberSearch");
        if (whileShown)
            whileShown();
        if (m_subscribers.empty())
            return {};
        const SubscriberSearchResult answer = m_subscribers.front();
        m_subscribers.pop_front();
        return answer;
    }

    GetHandlerResult frmMakeNewInterviewer() override { return answer(QStringLiteral("frmMakeNewInterviewer"), m_interviewers); }
    GetHandlerResult frmMakeNewDirectoryHandler() override
    {
        return answer(QStringLiteral("frmMakeNewDirectoryHandler"), m_directoryHandlers);
    }
    SearchResult frmCallHandlerSearch() override { return answer(QStringLiteral("frmCallHandlerSearch"), m_callHandlerSearches); }
    SearchResult frmInterviewerSearch() override { return answer(QStringLiteral("frmInterviewerSearch"), m_interviewerSearches); }
    SearchResult frmDistributionListSearch() override
    {
        return answer(QStringLiteral("frmDistributionListSearch"), m_distributionListSearches);
    }
    void frmSchedules() override { shown << QStringLiteral("frmSchedules"); }
    void frmAvailableExtensions() override { shown << QStringLiteral("frmAvailableExtensions"); }
    void frmFindTransferString() override { shown << QStringLiteral("frmFindTransferString"); }

    void pickInterviewer(const QString& id) { m_interviewers.push_back({false, id, QString()}); }
    // The dialog's Create made this one.
    void createdInterviewer(const QString& id) { m_interviewers.push_back({false, id, QString(), true}); }
    void pickDirectoryHandler(const QString& id) { m_directoryHandlers.push_back({false, id, QString()}); }
    void findCallHandler(const QString& id, const QString& name) { m_callHandlerSearches.push_back({false, id, name}); }
    void findInterviewer(const QString& id, const QString& name) { m_interviewerSearches.push_back({false, id, name}); }
    void findDistributionList(const QString& id, const QString& name) { m_distributionListSearches.push_back({false, id, name}); }

    void pickCallHandler(const QString& id, const QString& name = QString()) { m_callHandlers.push_back({false, id, name}); }
    void cancelCallHandler() { m_callHandlers.push_back({}); }
    void pickSubscriber(const QString& ownHandlerId, const QString& name = QString())
    {
        m_subscribers.push_back({false, ownHandlerId, name});
    }
    void cancelSubscriberSearch() { m_subscribers.push_back({}); }

    std::function<void()> whileShown;
    QStringList shown;
    std::vector<GetCallHandlerTab> tabs;

private:
    template <typename Result>
    Result answer(const QString& dialog, std::deque<Result>& script)
    {
        shown << dialog;
        if (whileShown)
            whileShown();
        if (script.empty())
            return {};
        const Result next = script.front();
        script.pop_front();
        return next;
    }

    std::deque<GetHandlerResult> m_interviewers;
    std::deque<GetHandlerResult> m_directoryHandlers;
    std::deque<SearchResult> m_callHandlerSearches;
    std::deque<SearchResult> m_interviewerSearches;
    std::deque<SearchResult> m_distributionListSearches;
    std::deque<GetCallHandlerResult> m_callHandlers;
    std::deque<SubscriberSearchResult> m_subscribers;
};
