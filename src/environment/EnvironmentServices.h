#pragma once

#include "environment/EnvironmentOperations.h"

#include <QPointer>
#include <memory>

class frmAbout;
class LanguageLibraries;
class SharedState;
class UpdateCheck;

// The languages, update check, About and help subsystem on the run's shared state. It holds the
// run's language state and the About box between openings.
class EnvironmentServices : public EnvironmentOperations {
public:
    explicit EnvironmentServices(SharedState& state);
    ~EnvironmentServices() override;

    void RunTestBatch() override;
    QString GetLanguageCode(qint32 lcid) const override;
    QString GetLanguageNameFromCode(const QString& code) const override;
    void showHelpWindow(QWidget* owner) override;
    void showAboutBox(QWidget* owner) override;
    void CheckForUpdatedVersion() override;

    LanguageLibraries& languages() { return *m_languages; }

private:
    SharedState& m_state;
    std::unique_ptr<LanguageLibraries> m_languages;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    // Owned by the window it was opened over; gone when that window goes.
    QPointer<frmAbout> m_about;
};
