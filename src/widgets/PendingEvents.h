#pragma once

#include <QCoreApplication>

// Where a procedure lets pending window events run, only painting happens: input events wait
// for the procedure's end, so no other handler can start in the middle of this one.
inline void letPaintEventsRun()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
