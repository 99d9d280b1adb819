#include "runtime/ErrorHandling.h"

StepErrors::StepErrors(const QString& prefix)
    : m_text([prefix](const RuntimeError& e) { return prefix + e.description(); })
{
}

StepErrors StepErrors::shownAs(Text text)
{
    StepErrors errors;
    errors.m_text = std::move(text);
    return errors;
}

StepErrors StepErrors::passedOver()
{
    StepErrors errors;
    errors.m_silent = true;
    return errors;
}

StepErrors& StepErrors::except(int number)
{
    m_passedOver.append(number);
    return *this;
}

void StepErrors::report(UserPrompts* prompts, const RuntimeError& error) const
{
    if (m_silent || !prompts || m_passedOver.contains(error.number()))
        return;
    prompts->msgBox(m_text(error));
}

RetryingSteps::RetryingSteps(UserPrompts& prompts, StepErrors errors, NotReady notReady)
    : m_prompts(prompts),
      m_errors(std::move(errors)),
      m_notReady(std::move(notReady))
{
}

bool RetryingSteps::repeatAfter(const RuntimeError& e)
{
    if (e.number() != m_notReady.number) {
        m_errors.report(&m_prompts, e);
        return false;
    }
    if (m_notReady.wait)
        m_notReady.wait();
    if (++m_repeated > m_notReady.repeats) {
        m_prompts.msgBox(m_notReady.message);
        return false;
    }
    return true;
}

QString procedureErrorText(const RuntimeError& e, const QString& procedure, const QString& ownerKind, const QString& owner)
{
    return QStringLiteral("(error):%1 (%2) in procedure %3 of %4 %5")
        .arg(e.number())
        .arg(e.description(), procedure, ownerKind, owner);
}

StepErrors::Text inProcedure(const QString& procedure, const QString& ownerKind, const QString& owner)
{
    return [=](const RuntimeError& e) { return procedureErrorText(e, procedure, ownerKind, owner); };
}
