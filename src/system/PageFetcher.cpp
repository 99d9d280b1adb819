#include "system/PageFetcher.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <memory>

QByteArray NetworkPageFetcher::fetch(const QString& address)
{
    const QUrl url(address);
    if (!url.isValid() || url.isRelative())
        return {};
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    // The agent the update page has always been asked with.
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("HTTP Generic"));
    // Declared before the reply, which may still signal while it goes.
    QByteArray body;
    bool tooLong = false;
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    // Qt holds no more than this unread, so the body reaches memory only through the reads below.
    reply->setReadBufferSize(64 * 1024);

    const auto stopWhenTooLong = [&] {
        if (tooLong)
            return;
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > m_maxBytes
            || body.size() + reply->bytesAvailable() > m_maxBytes) {
            tooLong = true;
            reply->abort();
            return;
        }
        body += reply->readAll();
    };
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, reply.get(), stopWhenTooLong);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), stopWhenTooLong);

    QEventLoop wait;
    QObject::connect(reply.get(), &QNetworkReply::finished, &wait, &QEventLoop::quit);
    // One limit for the whole page: a server that trickles bytes must not hold the window.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
    deadline.start(m_timeoutMs);
    if (!reply->isFinished())
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();

    if (!tooLong && reply->error() == QNetworkReply::NoError)
        stopWhenTooLong();
    if (tooLong || reply->error() != QNetworkReply::NoError)
        return {};
    return body;
}
