#include "data/ChangeLog.h"

#include "data/WorkStationInfo.h"
#include "runtime/ErrorHandling.h"
#include "runtime/RuntimeError.h"
#include "runtime/UserPrompts.h"
#include "system/Clock.h"
#include "system/SharedFileSystem.h"

#include <cerrno>
#include <iostream>

namespace {

const QString rule(64, QLatin1Char('='));

// A text's own line breaks and other control characters are written as their visible symbols
// (\n as U+240A, \r as U+240D, ...), so that one change stays one line and no value can pass
// for a line of its own. Tabs stay.
QString oneLine(const QString& text)
{
    const auto shown = [](QChar c) -> QChar {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != u'\t')
            return QChar(char16_t(0x2400 + u));
        if (u == 0x7F)
            return QChar(char16_t(0x2421));
        if (u == 0x85 || u == 0x2028 || u == 0x2029)
            return QChar(char16_t(0x2424));
        return c;
    };
    QString out = text;
    for (QChar& c : out)
        c = shown(c);
    return out;
}

// A field the caller left out stays empty; a given Null (or never-set value) too.
QString fieldText(const LogArg& argument)
{
    return argument ? oneLine(argument->textOrEmpty()) : QString();
}

// Every line break left in a line (the program's own texts: a two-line fault note, the trailer)
// becomes CR LF as well, so that the whole file keeps one line end.
QByteArray withCrLf(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    QByteArray out;
    out.reserve(bytes.size() + 2);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\n' && (i == 0 || bytes.at(i - 1) != '\r'))
            out.append('\r');
        out.append(bytes.at(i));
    }
    out.append("\r\n");
    return out;
}

// The module's procedures show their failures in the "(error):" form.
StepErrors moduleErrors(const QString& procedure)
{
    return StepErrors::shownAs(inProcedure(procedure, QStringLiteral("Module"), QStringLiteral("Module1")));
}

} // namespace

QString ChangeLogLine(const QDateTime& now, const QString& action, const LogArg& tableName, const LogArg& alias,
                      const LogArg& parentTableName, const LogArg& parentAlias, const LogArg& columnName, const LogArg& value)
{
    const QString separator = QStringLiteral(", ");
    QString line = generalDateText(now) + separator + action;
    for (const LogArg* field : {&parentTableName, &parentAlias, &tableName, &alias, &columnName})
        line += separator + fieldText(*field);
    QString valueText;
    if (value) {
        valueText = fieldText(value);
        if (valueText.isEmpty())
            valueText = QStringLiteral("(NULL)");
    }
    return line + separator + valueText;
}

ChangeLog::ChangeLog(const ProgramFolder& programFolder, const SharedFileSystem& fileSystem, const Clock& clock,
                     const WorkStationInfo& workStation, const QString& version, UserPrompts& prompts)
    : m_programFolder(programFolder),
      m_fileSystem(fileSystem),
      m_clock(clock),
      m_workStation(workStation),
      m_version(version),
      m_prompts(prompts)
{
}

ChangeLog::~ChangeLog() = default;

bool ChangeLog::isOpen() const
{
    return m_file != nullptr;
}

QString ChangeLog::logsFolder() const
{
    return m_programFolder.file(QStringLiteral("logs"));
}

QString ChangeLog::GenerateNewLogFileName()
{
    const QString name =
        QStringLiteral("TWR_") + m_clock.now().toString(QStringLiteral("yyMMdd_HH_mm_ss")) + QStringLiteral(".txt");
    runStep(m_prompts, moduleErrors(QStringLiteral("GenerateNewLogFileName")), [&] {
        if (!m_fileSystem.folderExists(logsFolder()))
            m_fileSystem.createFolder(logsFolder());
    });
    CleanupLogFiles();
    return logsFolder() + QLatin1Char('/') + name;
}

void ChangeLog::CleanupLogFiles()
{
    const QString procedure = QStringLiteral("CleanupLogFiles");
    QList<FolderFile> files;
    bool listed = runStep(m_prompts, moduleErrors(procedure), [&] {
        if (m_fileSystem.folderExists(logsFolder()))
            files = m_fileSystem.folderFiles(logsFolder());
    });
    if (!listed)
        return;
    const QDate today = m_clock.now().date();
    for (const FolderFile& file : files) {
        runStep(m_prompts, moduleErrors(procedure), [&] {
            // Calendar days: the times of day do not count.
            if (file.dateLastModified().date().daysTo(today) > 10)
                m_fileSystem.DeleteFile(file.path(), true);
        });
    }
}

void ChangeLog::OpenSessionLog(const QString& fileName)
{
    m_file.reset();
    m_fileName = fileName;
    m_stopped = false;
    // A log of the same name belongs to a run started in the same second: it is appended to rather
    // than replaced, so that neither run's lines are lost.
    try {
        m_file = m_fileSystem.openForAppend(fileName);
    } catch (const RuntimeError& e) {
        stop(e.description());
        return;
    }

    runStepSilently([&] {
        writeLine(rule);
        writeLine(QStringLiteral("Running Treewright version ") + m_version);
        writeLine(QStringLiteral("Session started at: ") + generalDateText(m_clock.now()));
        writeLine(QStringLiteral("User logged in on computer named: ") + oneLine(m_workStation.ComputerName())
                  + QStringLiteral(" in domain=") + oneLine(m_workStation.Domain()) + QStringLiteral(" as user with alias=")
                  + oneLine(m_workStation.UserName()));
        writeLine(rule);
        writeLine(QStringLiteral("DATE_AND_TIME, ACTION, PARENT TABLE NAME, PARENT ALIAS, TABLE NAME, ALIAS, COLUMN NAME, VALUE"));
        writeLine(QString());
    });
}

void ChangeLog::LogChange(const QString& action, const LogArg& tableName, const LogArg& alias, const LogArg& parentTableName,
                          const LogArg& parentAlias, const LogArg& columnName, const LogArg& value)
{
    if (!m_file)
        return;
    runStepSilently([&] {
        writeLine(ChangeLogLine(m_clock.now(), action, tableName, alias, parentTableName, parentAlias, columnName, value));
    });
}

void ChangeLog::CloseSessionLog()
{
    if (!m_file)
        throwError(FileErrorNumber::BadFileNameOrNumber, QStringLiteral("Bad file name or number"));
    // The empty line and the rule go out as one write, as one text with its own line break. A log
    // stopped by a failed line still gets its trailer when it can, which also ends a cut line.
    const bool written = appendLine(QStringLiteral("\r\n") + rule)
                         && appendLine(QStringLiteral("Session ended at +") + generalDateText(m_clock.now()));
    if (!written) {
        if (m_lastWriteError == ENOSPC || m_lastWriteError == EDQUOT)
            throwError(FileErrorNumber::DiskFull, QStringLiteral("Disk full"));
        throwError(FileErrorNumber::DeviceIOError, QStringLiteral("Device I/O error"));
    }
    m_file.reset();
}

void ChangeLog::writeLine(const QString& text)
{
    if (m_stopped)
        return;
    if (!appendLine(text))
        stop(fileError(m_lastWriteError).description());
}

bool ChangeLog::appendLine(const QString& text)
{
    // The file is unbuffered: each line goes to the system at once and survives the process.
    m_lastWriteError = m_file->append(withCrLf(text));
    return m_lastWriteError == 0;
}

void ChangeLog::stop(const QString& reason)
{
    // Nothing after a lost line: the log stays whole up to the message, and a line cut in the
    // middle is not followed by the next.
    m_stopped = true;
    if (m_warned)
        return;
    m_warned = true;
    const QString text = QStringLiteral("Changes are no longer being written to the change log %1 (%2). Edits still go to "
                                        "the server, but without a record in the log.")
                             .arg(m_fileName, reason);
    std::cerr << text.toLocal8Bit().constData() << std::endl;
    m_prompts.msgBox(text, Buttons::OKOnly | Buttons::Exclamation);
}

Variant logNumber(const Variant& value)
{
    return value.isNull() ? Variant::null() : Variant(strNumberText(value.toDouble()));
}

void logInterviewQuestion(ChangeLog& log, const QString& handlerAlias, const QString& place, const Variant& streamPath,
                          const Variant& streamText, const Variant& maxMsgLength)
{
    const QString update = QStringLiteral("UPDATE");
    const QString table = QStringLiteral("InterviewQuestion");
    const QString parentTable = QStringLiteral("InterviewHandler");
    // A limit stored as something other than a whole number is logged as it stands.
    bool whole = false;
    if (!maxMsgLength.isNull())
        maxMsgLength.textOrEmpty().trimmed().toLongLong(&whole);
    log.LogChange(update, table, place, parentTable, handlerAlias, QStringLiteral("Alias"), place);
    log.LogChange(update, table, place, parentTable, handlerAlias, QStringLiteral("StreamPath"), streamPath);
    log.LogChange(update, table, place, parentTable, handlerAlias, QStringLiteral("StreamText"), streamText);
    log.LogChange(update, table, place, parentTable, handlerAlias, QStringLiteral("MaxMsgLength"),
                  whole ? logNumber(maxMsgLength) : maxMsgLength);
}
