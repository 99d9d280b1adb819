#include "server/FileServerState.h"

#include "system/SharedFileSystem.h"

#include <QDir>

FileServerState::FileServerState(const QString& serverRoot)
    : m_serverRoot(serverRoot)
{
}

int FileServerState::state()
{
    // A state is a short number; anything long is not one. Only a regular file is read, so that a
    // pipe or a device in its place never holds up the start.
    const std::optional<QByteArray> text = readRegularFile(QDir(m_serverRoot).filePath(QStringLiteral("state")), 64);
    if (!text)
        return 0;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}
