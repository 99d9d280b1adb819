#pragma once

#include "runtime/UserPrompts.h"

#include <QPointer>
#include <QWidget>

// Production boxes: QMessageBox and QInputDialog over the given parent window.
class QtUserPrompts : public UserPrompts {
public:
    explicit QtUserPrompts(QWidget* parent = nullptr)
        : m_parent(parent)
    {
    }
    void setParent(QWidget* parent) { m_parent = parent; }
    int msgBox(const QString& text, int buttons, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;

private:
    // The window may go before this object does (main keeps it to the end of the run).
    QPointer<QWidget> m_parent;
};
