#include "server/FileServerState.h"

#include <QDir>
#include <QFile>

FileServerState::FileServerState(const QString& serverRoot)
    : m_serverRoot(serverRoot)
{
}

int FileServerState::state()
{
    QFile file(QDir(m_serverRoot).filePath(QStringLiteral("state")));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // A state is a short number; anything long is not one.
    const QByteArray text = file.read(64).trimmed();
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}
