#include "actions/FixedActionCommands.h"

#include "actions/LinkPopUpState.h"
#include "actions/LinkWriter.h"
#include "data/LinkKinds.h"
#include "data/SharedState.h"
#include "runtime/ErrorHandling.h"

#include <optional>

FixedActionCommands::FixedActionCommands(SharedState& state, LinkPopUpState& popUpState, LinkWriter& writer)
    : m_state(state),
      m_popUpState(popUpState),
      m_writer(writer)
{
}

void FixedActionCommands::run(const QString& errorPrefix, const QString& strObjectID, const QString& strConversation,
                              qint16 iAction, bool adjustAfter)
{
    const StepErrors errors(errorPrefix);
    std::optional<ChosenLink> link;
    runStep(m_state.prompts, errors, [&] { link = m_popUpState.commandLink(); });
    if (!link)
        return;
    m_writer.linkProcessLinkInfo(*link, strObjectID, strConversation, iAction, kLinkKeepsStored, false);
    if (adjustAfter)
        runStep(m_state.prompts, errors, [&] { m_popUpState.AdjustMenuSettings(); });
}

void FixedActionCommands::LinkTakeMessage_Click()
{
    run(QStringLiteral("Error in LinkTakeMessage_Click:"), QString(), QString(), LinkAction::TakeMessage, false);
}

void FixedActionCommands::LinkHangUp_Click()
{
    run(QStringLiteral("Error in LinkHangUp_Click:"), QString(), QString(), LinkAction::HangUp, false);
}

void FixedActionCommands::LinkSignIn_Click()
{
    run(QStringLiteral("Error in LinkSignIn_Click:"), QString(), QStringLiteral("SubSignIn"), LinkAction::GoTo, false);
}

void FixedActionCommands::LinkGreetingsAdministrator_Click()
{
    run(QStringLiteral("Error in LinkGreetingsAdministrator_Click:"), QString(), QStringLiteral("GreetingsAdministrator"),
        LinkAction::GoTo, false);
}

void FixedActionCommands::LinkAttemptTransfer_Click()
{
    run(QStringLiteral("Error in LinkAttemptTransfer_Click:"), QStringLiteral("skip"), QStringLiteral("PHTransfer"),
        LinkAction::GoTo, true);
}

void FixedActionCommands::LinkSendToGreeting_Click()
{
    run(QStringLiteral("Error in LinkSendToGreeting_Click:"), QStringLiteral("skip"), QStringLiteral("PHGreeting"),
        LinkAction::GoTo, true);
}
