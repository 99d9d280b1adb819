#pragma once

#include <QDateTime>

// The current local date and time, injectable so that dated output can be tested exactly.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override;
};

// A clock that stands still until moved; for tests and for reproducible runs.
class FixedClock : public Clock {
public:
    explicit FixedClock(const QDateTime& time)
        : m_time(time)
    {
    }
    QDateTime now() const override { return m_time; }
    void set(const QDateTime& time) { m_time = time; }
    void advanceSeconds(qint64 seconds) { m_time = m_time.addSecs(seconds); }

private:
    QDateTime m_time;
};
