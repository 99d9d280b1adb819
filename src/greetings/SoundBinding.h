#pragma once

#include <QString>
#include <functional>

class SonotropeCtrl;

// The file a greeting tab binds for a stored sound path: a full path whole, anything else by its
// file name in the stream-files folder.
QString boundSoundPath(const QString& streamFilesPath, const QString& stored);
class UserPrompts;

// The steps of binding a media control to a sound. A control that is not ready gets two more
// loads, after which the binding ends; a sound that cannot be loaded is passed over, the control
// showing why; any other failure is shown after the handler's prefix and the next step runs.
class SoundBindingSteps {
public:
    SoundBindingSteps(SonotropeCtrl& control, UserPrompts& prompts, QString errorPrefix);

    void operator()(const std::function<void()>& body);

private:
    SonotropeCtrl& m_control;
    UserPrompts& m_prompts;
    QString m_errorPrefix;
    bool m_ended = false;
};
