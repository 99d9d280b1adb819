#include "widgets/BusyInput.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

BusyInput::BusyInput(QWidget* stopControl)
    : m_stopControl(stopControl)
{
    QCoreApplication::instance()->installEventFilter(this);
}

BusyInput::~BusyInput()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void BusyInput::letEventsRun()
{
    QCoreApplication::processEvents();
}

bool BusyInput::eventFilter(QObject* watched, QEvent* event)
{
    // Closing another window would run its handlers (the main window's ends the program) in the
    // middle of this procedure: it is refused, and can be asked for again afterwards.
    if (event->type() == QEvent::Close) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->isWindow() && m_stopControl && widget != m_stopControl->window()) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (!isUserInput(event->type()))
        return false;
    // A window hands its input on to the control under the pointer or with the focus: the
    // decision is taken there.
    if (watched->isWindowType())
        return false;
    return watched != m_stopControl.data();
}
