#pragma once

#include "fakes/QtPrinters.h"
#include "runtime/UserPrompts.h"

#include <QStringList>
#include <deque>
#include <functional>

// Message and input boxes for tests: records every text shown and answers from a script
// (OK, or the first button of the box, when the script has run out).
class ScriptedPrompts : public UserPrompts {
public:
    int msgBox(const QString& text, int buttons, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;

    void answerNext(int answer) { m_answers.push_back(answer); }
    void typeNext(const QString& text) { m_inputs.push_back(text); }

    QStringList messages; // texts of the message boxes, in order
    QStringList prompts;  // prompts of the input boxes, in order
    QList<int> buttons;   // the buttons argument of each message box
    // Runs while a message box is up, as the box's own event loop lets other events run.
    std::function<void(const QString& text)> whileShown;

private:
    std::deque<int> m_answers;
    std::deque<QString> m_inputs;
};
