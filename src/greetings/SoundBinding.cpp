#include "greetings/SoundBinding.h"

#include "runtime/ErrorHandling.h"
#include "system/SharedFileSystem.h"
#include "widgets/PendingEvents.h"
#include "widgets/SonotropeCtrl.h"

namespace {

bool notReady(const RuntimeError& e)
{
    return e.number() == ErrorNumber::ProviderFailure;
}

// Showing a sound that cannot be loaded is no failure of the page: the control says why.
bool passedOver(const RuntimeError& e)
{
    return e.number() == SonotropeCtrl::SoundCannotBeLoaded;
}

} // namespace

QString boundSoundPath(const QString& streamFilesPath, const QString& stored)
{
    const bool full = stored.contains(QLatin1String(":\\")) || stored.startsWith(QLatin1Char('/'));
    return full ? stored : streamFilesPath + SharedFileSystem::GetFileName(stored);
}

SoundBindingSteps::SoundBindingSteps(SonotropeCtrl& control, UserPrompts& prompts, QString errorPrefix)
    : m_control(control),
      m_prompts(prompts),
      m_errorPrefix(std::move(errorPrefix))
{
}

void SoundBindingSteps::operator()(const std::function<void()>& body)
{
    if (m_ended)
        return;
    try {
        body();
    } catch (const RuntimeError& e) {
        if (passedOver(e))
            return;
        if (!notReady(e)) {
            m_prompts.msgBox(m_errorPrefix + e.description());
            return;
        }
        m_ended = true;
        for (int retry = 0; retry < 2; ++retry) {
            letPaintEventsRun();
            try {
                m_control.LoadSound();
                return;
            } catch (const RuntimeError& again) {
                if (passedOver(again))
                    return;
                if (!notReady(again)) {
                    m_prompts.msgBox(m_errorPrefix + again.description());
                    return;
                }
            }
        }
    }
}
