#pragma once

#include <QString>

// The Talvo server's state as the server reports it; the program refuses to run against a
// server that is not running.
class ServerState {
public:
    static constexpr int Running = 32;

    virtual ~ServerState() = default;
    virtual int state() = 0;
};

// The stand-in server keeps its state as a decimal number in the file "state" of its root.
// A missing or unreadable file, or one that holds no number, counts as not running (0).
class FileServerState : public ServerState {
public:
    explicit FileServerState(const QString& serverRoot);
    int state() override;

private:
    QString m_serverRoot;
};
