#pragma once

#include "pane/PaneSection.h"
#include "pane/PropertyPane.h"

class EnvironmentOperations;
class GreetingOperations;
class SharedState;
class SubscriberPage;

// Shows a subscriber (node types 1 and 99, by the id of its own call handler) on the
// "Subscriber" page: profile, class of service, switch, language, the handler's "Alternate"
// transfer rule, six greetings, message settings and the conversation's exit. Leaves
// rsCallHandler on the handler, rsSubscriber on the subscriber, rsCOS on its class of service
// and rsContactRule and rsMessagingRule narrowed to the handler's rules, where the editors work.
// It writes nothing but the greeting-file repair.
class SubscriberSection : public PaneSection {
public:
    SubscriberSection(SharedState& state, PropertyPane& pane, const EnvironmentOperations& environment,
                      GreetingOperations& greetings);

    void clear() override;
    void load(const QString& strObjectID) override;
    QString shownObjectID() const override { return m_shown; }

private:
    void showProfile();
    void showClassOfService();
    void showTransferRule();
    void showExit();

    SharedState& m_state;
    PropertyPane& m_pane;
    SubscriberPage& m_page;
    const EnvironmentOperations& m_environment;
    GreetingOperations& m_greetings;
    QString m_shown;
    PropertyPane::SectionAttachment m_attachment;
};
