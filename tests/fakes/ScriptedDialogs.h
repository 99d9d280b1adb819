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
    std::deque<GetCallHandlerResult> m_callHandlers;
    std::deque<SubscriberSearchResult> m_subscribers;
};
