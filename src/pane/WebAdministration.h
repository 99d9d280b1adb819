#pragma once

#include <QObject>
#include <QString>

class QLabel;
class SharedState;

// The pane's links to the server's own web administration page of the object shown, opened in
// the default browser. Each reads the object from the cached recordset that the pane's load left
// on it.
class WebAdministration : public QObject {
public:
    explicit WebAdministration(SharedState& state, QObject* parent = nullptr);

    // A clickable label of a pane page and the handler it runs.
    void connectTo(QLabel* label, void (WebAdministration::*handler)());

    void lblSACallHandlerJump_Click();
    void lblSAInterviewerJump_Click();
    void lblSADirectoryHandlerJump_Click();
    void lblSASubscriberJump_Click();

    enum class HandlerPage { CallHandler, Interviewer, DirectoryHandler };
    // "HTTP://<server>/Web/SA/FrameASP/<page>?id=%01%07<type>%3A<id>&NavWidth=150", the id's
    // braces and hyphens escaped.
    static QString handlerAddress(const QString& serverName, HandlerPage page, const QString& objectId);
    // The subscriber's page by its directory id, which is passed as it is.
    static QString subscriberAddress(const QString& serverName, const QString& directoryId);

private:
    SharedState& m_state;
};
