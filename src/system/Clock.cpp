#include "system/Clock.h"

QDateTime SystemClock::now() const
{
    // Whole seconds, as the texts built from it show no fractions.
    QDateTime t = QDateTime::currentDateTime();
    t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
    return t;
}
