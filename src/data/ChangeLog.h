#pragma once

#include "runtime/Variant.h"
#include "system/ProgramFolder.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

class AppendFile;
class Clock;
class SharedFileSystem;
class UserPrompts;
class WorkStationInfo;

// An argument of LogChange that the caller may leave out (std::nullopt). A given Null or empty
// value is not the same as one left out: the value field shows "(NULL)" only for a given one.
using LogArg = std::optional<Variant>;

// One change line without its line end: the date and time in the general date form, then action,
// parent table, parent alias, table, alias, column and value, each after ", " and never quoted.
// The argument order is LogChange's, which is not the order of the fields in the line. Line breaks
// and other control characters inside the fields after the action are written as their visible
// symbols (U+2400 block), so that no value ends the line; the action is the program's own text and
// is written as given.
QString ChangeLogLine(const QDateTime& now, const QString& action, const LogArg& tableName = std::nullopt,
                      const LogArg& alias = std::nullopt, const LogArg& parentTableName = std::nullopt,
                      const LogArg& parentAlias = std::nullopt, const LogArg& columnName = std::nullopt,
                      const LogArg& value = std::nullopt);

// The run's change log: logs/TWR_yymmdd_hh_mm_ss.txt in the program folder, a header naming the
// version, the start and who runs it, one line per change, a trailer at shutdown. Lines end with
// CR LF in UTF-8 and each reaches the file as it is written, so a killed run loses no line.
// Owned by the run's shared state; one instance per run.
// A number column as the change log shows it: " 30"; a Null stays Null.
Variant logNumber(const Variant& value);

class ChangeLog {
public:
    ChangeLog(const ProgramFolder& programFolder, const SharedFileSystem& fileSystem, const Clock& clock,
              const WorkStationInfo& workStation, const QString& version, UserPrompts& prompts);
    ~ChangeLog();
    ChangeLog(const ChangeLog&) = delete;
    ChangeLog& operator=(const ChangeLog&) = delete;

    // The full path of this run's log; creates the logs folder when missing and deletes old logs on
    // the way, showing a message for each failure and going on. It does not create the file.
    QString GenerateNewLogFileName();
    // Deletes every file of the logs folder last changed more than ten calendar days ago.
    void CleanupLogFiles();
    // Opens the log and writes its header. A log that cannot be opened leaves the run without one.
    void OpenSessionLog(const QString& fileName);
    // Appends one change line; nothing is written while no log is open, and no failure reaches the
    // caller. The first line of a run that cannot be written (the header's included) stops the log:
    // a message box and standard error say so, once, and the edits go on without it.
    void LogChange(const QString& action, const LogArg& tableName = std::nullopt, const LogArg& alias = std::nullopt,
                   const LogArg& parentTableName = std::nullopt, const LogArg& parentAlias = std::nullopt,
                   const LogArg& columnName = std::nullopt, const LogArg& value = std::nullopt);
    // Writes the trailer and closes the log. Raises BadFileNameOrNumber when no log is open and the
    // write error when the trailer cannot be written.
    void CloseSessionLog();

    bool isOpen() const;
    QString logsFolder() const;

private:
    // Writes one line of the header or a change unless the log has stopped; a failure stops it.
    void writeLine(const QString& text);
    // Writes one line (CR LF appended) in a single write; false on failure.
    bool appendLine(const QString& text);
    // Stops the log, telling the user the first time in the run.
    void stop(const QString& reason);

    ProgramFolder m_programFolder;
    const SharedFileSystem& m_fileSystem;
    const Clock& m_clock;
    const WorkStationInfo& m_workStation;
    QString m_version;
    UserPrompts& m_prompts;
    std::unique_ptr<AppendFile> m_file;
    QString m_fileName;
    int m_lastWriteError = 0;
    bool m_stopped = false; // a line was lost: nothing more is written
    bool m_warned = false;  // once per run
};

// The four lines of one stored interview question, under its interview handler: its place in the
// interview (its Alias), its recording, its text and its reply limit (" 30"), as written.
void logInterviewQuestion(ChangeLog& log, const QString& handlerAlias, const QString& place, const Variant& streamPath,
                          const Variant& streamText, const Variant& maxMsgLength);
