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
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

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

    if (reply->error() != QNetworkReply::NoError)
        return {};
    return reply->readAll();
}
