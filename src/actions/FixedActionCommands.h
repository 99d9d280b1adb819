#pragma once

#include <QString>

class LinkPopUpState;
class LinkWriter;
class SharedState;

// The popup's commands that give the chosen link a fixed action, or keep its call handler and
// change only how the call is passed to it.
class FixedActionCommands {
public:
    FixedActionCommands(SharedState& state, LinkPopUpState& popUpState, LinkWriter& writer);

    void LinkTakeMessage_Click();
    void LinkHangUp_Click();
    void LinkSignIn_Click();
    void LinkGreetingsAdministrator_Click();
    void LinkAttemptTransfer_Click();
    void LinkSendToGreeting_Click();

private:
    void run(const QString& errorPrefix, const QString& strObjectID, const QString& strConversation, qint16 iAction,
             bool adjustAfter);

    SharedState& m_state;
    LinkPopUpState& m_popUpState;
    LinkWriter& m_writer;
};
