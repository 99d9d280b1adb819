#pragma once

#include <QString>

// Message and input boxes, behind one interface so that tests script the answers and read the
// texts. Button and answer codes are the runtime's.
namespace Buttons {
constexpr int OKOnly = 0;
constexpr int OKCancel = 1;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
} // namespace Buttons

namespace Answer {
constexpr int OK = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace Answer

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    virtual int msgBox(const QString& text, int buttons = Buttons::OKOnly, const QString& title = QString()) = 0;
    // Returns the typed text; Cancel gives the empty text, as the runtime's InputBox does.
    virtual QString inputBox(const QString& prompt, const QString& title = QString(), const QString& defaultText = QString()) = 0;
};
