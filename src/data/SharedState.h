#pragma once

#include "data/ChangeLog.h"
#include "data/RecordsetCache.h"
#include "data/TalvoVersion.h"
#include "data/WorkStationInfo.h"
#include "db/Connection.h"
#include "system/ProgramFolder.h"
#include "system/RegistryStore.h"
#include "system/SharedFileSystem.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class AudioDevice;
class Clock;
class FileDialogs;
class PageFetcher;
class ProcessControl;
class ProcessLauncher;
class ServerState;
class SystemIdentity;
class UrlOpener;
class UserPrompts;
struct sqlite3;

// What the run gets from the machine it runs on; production and tests give different ones.
struct RunEnvironment {
    QString serverRoot;          // the stand-in server: registry.reg, state, database
    ProgramFolder programFolder; // logs, temporary recordings, the program's own files
    UserPrompts& prompts;
    const Clock& clock;
    const SystemIdentity& identity;
    ServerState& serverState;
    ProcessControl& process;
    ProcessLauncher& launcher;
    std::function<void(sqlite3*)> databaseSetup;                // the server's SQL functions, on every connection
    QString programVersion;                                     // major.minor.revision
    std::function<std::unique_ptr<AudioDevice>()> audioDevices; // one sound device per media control
    UrlOpener& urlOpener;                                       // web pages and folders, by the desktop
    FileDialogs& fileDialogs;                                   // where exports go
    PageFetcher& pageFetcher;                                   // the update page
    QString updatePageAddress;                                  // fetched, opened, handed to the start-up hook
};

// The run's shared state: one object, created at start, passed by reference to every part.
class SharedState {
public:
    explicit SharedState(const RunEnvironment& environment);
    SharedState(const SharedState&) = delete;
    SharedState& operator=(const SharedState&) = delete;

    const RunEnvironment& environment;
    UserPrompts& prompts;
    SharedFileSystem fileSystem;
    RegistryStore registry;
    ConnectionFactory connections;
    WorkStationInfo workStation;
    ChangeLog changeLog;
    RecordsetCache cache;

    QString ServerName;
    QString ConnectionString;
    TalvoVersionInfo ServerVersion;
    QString StreamFilesPath;
    QString DefaultTUILanguage;
    QStringList SwitchNames;
    // Seeded once at start-up; names new greeting and question files and new aliases.
    QRandomGenerator random;
};
