#pragma once

#include "environment/EnvironmentOperations.h"

class SharedState;

// The languages, update check, About and help subsystem on the run's shared state.
class EnvironmentServices : public EnvironmentOperations {
public:
    explicit EnvironmentServices(SharedState& state)
        : m_state(state)
    {
    }

    void RunTestBatch() override;
    QString GetLanguageCode(qint32 lcid) const override;
    QString GetLanguageNameFromCode(const QString& code) const override;

private:
    SharedState& m_state;
};
