#include "pane/WebAdministration.h"

#include "data/SharedState.h"
#include "runtime/SlotGuard.h"
#include "system/UrlOpener.h"

#include <QLabel>

namespace {

const QString kNavWidth = QStringLiteral("&NavWidth=150");

QString escapedId(QString id)
{
    return id.replace(QLatin1Char('{'), QStringLiteral("%7B"))
        .replace(QLatin1Char('}'), QStringLiteral("%7D"))
        .replace(QLatin1Char('-'), QStringLiteral("%2D"));
}

} // namespace

WebAdministration::WebAdministration(SharedState& state, QObject* parent)
    : QObject(parent),
      m_state(state)
{
}

void WebAdministration::connectTo(QLabel* label, void (WebAdministration::*handler)())
{
    connectGuarded(m_state.prompts, label, &QLabel::linkActivated, this, [this, handler] { (this->*handler)(); });
}

QString WebAdministration::handlerAddress(const QString& serverName, HandlerPage page, const QString& objectId)
{
    QString path;
    switch (page) {
    case HandlerPage::CallHandler:
        path = QStringLiteral("/Web/SA/FrameASP/HandFrame.asp?id=%01%0703%3A");
        break;
    case HandlerPage::Interviewer:
        path = QStringLiteral("/Web/SA/FrameASP/IntHFrame.asp?id=%01%0705%3A");
        break;
    case HandlerPage::DirectoryHandler:
        path = QStringLiteral("/Web/SA/FrameASP/DirHFrame.asp?id=%01%0706%3A");
        break;
    }
    return QStringLiteral("HTTP://") + serverName + path + escapedId(objectId) + kNavWidth;
}

QString WebAdministration::subscriberAddress(const QString& serverName, const QString& directoryId)
{
    return QStringLiteral("HTTP://") + serverName + QStringLiteral("/Web/SA/FrameASP/SubsFrame.asp?DirID=") + directoryId
           + kNavWidth;
}

void WebAdministration::lblSACallHandlerJump_Click()
{
    const QString id = m_state.cache.rsCallHandler.field(QStringLiteral("CallHandlerObjectID")).toText();
    m_state.environment.urlOpener.openUrl(handlerAddress(m_state.ServerName, HandlerPage::CallHandler, id));
}

void WebAdministration::lblSAInterviewerJump_Click()
{
    const QString id = m_state.cache.rsInterviewHandler.field(QStringLiteral("InterviewHandlerObjectID")).toText();
    m_state.environment.urlOpener.openUrl(handlerAddress(m_state.ServerName, HandlerPage::Interviewer, id));
}

void WebAdministration::lblSADirectoryHandlerJump_Click()
{
    const QString id = m_state.cache.rsNameLookupHandler.field(QStringLiteral("NameLookupHandlerObjectID")).toText();
    m_state.environment.urlOpener.openUrl(handlerAddress(m_state.ServerName, HandlerPage::DirectoryHandler, id));
}

void WebAdministration::lblSASubscriberJump_Click()
{
    // A subscriber without a directory id opens the page with an empty one.
    const QString directoryId = m_state.cache.rsSubscriber.field(QStringLiteral("DirectoryID")).textOrEmpty();
    m_state.environment.urlOpener.openUrl(subscriberAddress(m_state.ServerName, directoryId));
}
