#include "actions/FixedActionCommands.h"

#include "actions/LinkPopUpState.h"
#include "actions/LinkWriter.h"
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
    m_writer.linkProcessLinkInfo(*link, strObjectID, strConversation, iAction, -1, false);
    if (adjustAfter)
        runStep(m_state.prompts, errors, [&] { m_popUpState.AdjustMenuSettings(); });
}

void FixedActionCommands::LinkTakeMessage_Click()
{
    run(QStringLiteral("Error in LinkTakeMessage_Click:"), QString(), QString(), 4, false);
}

void FixedActionCommands::LinkHangUp_Click()
{
    run(QStringLiteral("Error in LinkHangUp_Click:"), QString(), QString(), 1, false);
}

void FixedActionCommands::LinkSignIn_Click()
{
    run(QStringLiteral("Error in LinkSignIn_Click:"), QString(), QStringLiteral("SubSignIn"), 2, false);
}

void FixedActionCommands::LinkGreetingsAdministrator_Click()
{
    run(QStringLiteral("Error in LinkGreetingsAdministrator_Click:"), QString(), QStringLiteral("GreetingsAdministrator"), 2,
        false);
}

void FixedActionCommands::LinkAttemptTransfer_Click()
{
    run(QStringLiteral("Error in LinkAttemptTransfer_Click:"), QStringLiteral("skip"), QStringLiteral("PHTransfer"), 2, true);
}

void FixedActionCommands::LinkSendToGreeting_Click()
{
    run(QStringLiteral("Error in LinkSendToGreeting_Click:"), QStringLiteral("skip"), QStringLiteral("PHGreeting"), 2, true);
}
