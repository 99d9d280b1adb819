#include "widgets/FieldValidation.h"

#include "runtime/SlotGuard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QWidget>

FieldValidation::FieldValidation(UserPrompts& prompts, QObject* parent)
    : QObject(parent),
      m_prompts(prompts)
{
}

void FieldValidation::watch(QWidget* control, QObject* context, Handler handler)
{
    m_handlers.insert(control, Watch{context, std::move(handler)});
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this](QObject* gone) { m_handlers.remove(gone); });
}

bool FieldValidation::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut || m_busy)
        return false;
    const auto it = m_handlers.constFind(watched);
    if (it == m_handlers.constEnd() || !it->context)
        return false;
    switch (static_cast<QFocusEvent*>(event)->reason()) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        break;
    default:
        return false; // another window, a popup or the menu bar took the focus
    }
    auto* control = static_cast<QWidget*>(watched);
    // A control going away, or the focus going to no control, is no move to another field.
    QWidget* next = QApplication::focusWidget();
    if (!next || next == control || control->isAncestorOf(next) || next->window() != control->window())
        return false;

    const QScopedValueRollback<bool> busy(m_busy, true);
    const Handler handler = it->handler;
    bool cancel = false;
    guarded(m_prompts, [&] { handler(cancel); });
    if (cancel)
        control->setFocus(Qt::OtherFocusReason);
    return false;
}
