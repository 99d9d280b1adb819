#include "fakes/ScriptedPrompts.h"

int ScriptedPrompts::msgBox(const QString& text, int buttonsArg, const QString&)
{
    messages << text;
    buttons << buttonsArg;
    // A copy: the hook may replace itself while it runs.
    if (const auto hook = whileShown)
        hook(text);
    if (!m_answers.empty()) {
        const int a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    switch (buttonsArg & 0x7) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    default:
        return Answer::OK;
    }
}

QString ScriptedPrompts::inputBox(const QString& prompt, const QString&, const QString& defaultText)
{
    prompts << prompt;
    if (m_inputs.empty())
        return defaultText;
    const QString t = m_inputs.front();
    m_inputs.pop_front();
    return t;
}
