#pragma once

// What the languages, update check, About and help subsystem offers the others.
class EnvironmentOperations {
public:
    virtual ~EnvironmentOperations() = default;
    // The start-up hook; it reports nothing and never fails the start-up.
    virtual void RunTestBatch() = 0;
};
