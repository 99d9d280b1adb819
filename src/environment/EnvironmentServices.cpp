#include "environment/EnvironmentServices.h"

#include "data/SharedState.h"
#include "environment/LanguageCodes.h"
#include "environment/LanguageLibraries.h"
#include "environment/StartupHook.h"
#include "environment/UpdateCheck.h"
#include "environment/frmAbout.h"
#include "environment/frmDetails.h"

#include <QLocale>

EnvironmentServices::EnvironmentServices(SharedState& state)
    : m_state(state),
      m_languages(std::make_unique<LanguageLibraries>(state.environment.programFolder, state.fileSystem, state.prompts,
                                                      [] { return LanguageCodes::lcidOfLocale(QLocale::system()); })),
      m_updateCheck(std::make_unique<UpdateCheck>(state.prompts, state.environment.pageFetcher, state.environment.urlOpener,
                                                  state.environment.updatePageAddress, state.environment.programVersion))
{
}

EnvironmentServices::~EnvironmentServices()
{
    delete m_about;
}

void EnvironmentServices::RunTestBatch()
{
    ::RunTestBatch(m_state.environment.programFolder, m_state.environment.programVersion, m_state.environment.updatePageAddress,
                   m_state.environment.launcher);
}

QString EnvironmentServices::GetLanguageCode(qint32 lcid) const
{
    return LanguageCodes::GetLanguageCode(lcid);
}

QString EnvironmentServices::GetLanguageNameFromCode(const QString& code) const
{
    return LanguageCodes::GetLanguageNameFromCode(code);
}

void EnvironmentServices::showHelpWindow(QWidget* owner)
{
    // A new window each time, so each opening reads the page afresh.
    frmDetails help(m_state.environment.programFolder, m_state.prompts, owner);
    help.Form_Load();
    help.exec();
}

void EnvironmentServices::showAboutBox(QWidget* owner)
{
    if (!m_about) {
        m_about = new frmAbout(*m_languages, m_state.environment.programVersion, m_state.prompts, owner);
        m_about->Form_Load();
    }
    m_about->exec();
    // OK hides the box and keeps it; closing it with the window frame ends it, and the next
    // opening loads it anew.
    if (m_about && m_about->closedByFrame())
        delete m_about;
}

void EnvironmentServices::CheckForUpdatedVersion()
{
    m_updateCheck->CheckForUpdatedVersion();
}
