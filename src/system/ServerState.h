#pragma once

// The Talvo server's state as the server reports it; the program refuses to run against a
// server that is not running.
class ServerState {
public:
    static constexpr int Running = 32;

    virtual ~ServerState() = default;
    virtual int state() = 0;
};
