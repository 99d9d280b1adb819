#pragma once

#include "system/ServerState.h"

#include <QString>

// The stand-in server keeps its state as a decimal number in the file "state" of its root.
// A missing or unreadable file, one that holds no number, and anything but a small regular file
// count as not running (0).
class FileServerState : public ServerState {
public:
    explicit FileServerState(const QString& serverRoot);
    int state() override;

private:
    QString m_serverRoot;
};
