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
    if (!isUserInput(event->type()))
        return false;
    // A window hands its input on to the control under the pointer or with the focus: the
    // decision is taken there.
    if (watched->isWindowType())
        return false;
    return watched != m_stopControl.data();
}
