#pragma once

#include "pane/PaneSection.h"
#include "pane/PropertyPane.h"

class CallHandlerPage;
class EnvironmentOperations;
class GreetingOperations;
class SharedState;

// Shows a call handler (node types 3 and 98) on the "Call Handler" page: its profile, owner,
// language, schedule, switch, three transfer rules, six greetings and message settings. Leaves
// rsCallHandler on the handler and rsContactRule and rsMessagingRule narrowed to its rules, where
// the editors work. It writes nothing but the greeting-file repair.
class CallHandlerSection : public PaneSection {
public:
    CallHandlerSection(SharedState& state, PropertyPane& pane, const EnvironmentOperations& environment,
                       GreetingOperations& greetings);

    void clear() override;
    void load(const QString& strObjectID) override;
    QString shownObjectID() const override { return m_shown; }

private:
    void showOwner();
    void showLanguage();
    void showSchedule();
    void showSwitch();
    void showTransferRules();
    void showRecipient();
    void showMessageSettings();

    SharedState& m_state;
    PropertyPane& m_pane;
    CallHandlerPage& m_page;
    const EnvironmentOperations& m_environment;
    GreetingOperations& m_greetings;
    QString m_shown;
    PropertyPane::SectionAttachment m_attachment;
};
