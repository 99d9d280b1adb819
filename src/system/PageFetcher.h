#pragma once

#include <QByteArray>
#include <QString>

// Reading one web page, behind an interface so that tests can serve their own pages.
class PageFetcher {
public:
    virtual ~PageFetcher() = default;
    // The page's whole body; empty when it could not be read (no connection, an HTTP error
    // status, the time limit passed, a body longer than the fetcher's bound).
    virtual QByteArray fetch(const QString& address) = 0;
};

// HTTP (and file:) through Qt Network. The caller waits for the page, but the wait lets the
// windows repaint and network events run; user input waits for its end, so no other command can
// start meanwhile. A page not complete after the time limit counts as unreadable, and so does one
// longer than the bound: its reading stops there, so a server cannot fill the memory.
class NetworkPageFetcher : public PageFetcher {
public:
    static constexpr int kDefaultTimeoutMs = 20000;
    // Far above any version page, far below what would trouble the machine.
    static constexpr qint64 kDefaultMaxBytes = 1024 * 1024;
    explicit NetworkPageFetcher(int timeoutMs = kDefaultTimeoutMs, qint64 maxBytes = kDefaultMaxBytes)
        : m_timeoutMs(timeoutMs),
          m_maxBytes(maxBytes)
    {
    }
    QByteArray fetch(const QString& address) override;

private:
    int m_timeoutMs;
    qint64 m_maxBytes;
};
