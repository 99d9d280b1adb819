#include "server/SiteWriter.h"

#include "audio/WavFile.h"
#include "db/Sqlite.h"
#include "runtime/RuntimeError.h"
#include "server/SiteBuilder.h"
#include "server/StagedRoot.h"

#include <QDir>
#include <QFile>

namespace SiteWriting {
namespace {

const QString kDatabaseFile = QStringLiteral("TalvoDb.sqlite3");
const QString kStreamFolder = QStringLiteral("Stream Files");

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size() || !file.flush())
        throwError(PathFileAccessError, QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
}

QString regText(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

// The machine's values that the program reads, as a registry export writes them, into the folder;
// they name the root where it will be used.
void writeRegistry(const QString& folder, const QString& root)
{
    const QString hklm = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Halvane");
    QStringList lines{
        QStringLiteral("Windows Registry Editor Version 5.00"),
        QString(),
        QStringLiteral("[%1]").arg(hklm),
        QStringLiteral("\"Version Number\"=dword:00040000"),
        QStringLiteral("\"Build Number\"=dword:00020078"),
        QString(),
        QStringLiteral("[%1\\Sorvic\\1.0]").arg(hklm),
        QStringLiteral("\"Root Path\"=") + regText(root),
        QString(),
        QStringLiteral("[%1\\Sorvic Setup\\1.0\\Properties]").arg(hklm),
        QStringLiteral("\"TUILanguageDefault\"=\"ENU\""),
        QString(),
        QStringLiteral("[%1\\QLM\\1.0\\initialization\\integrations\\integration1]").arg(hklm),
        QStringLiteral("\"DisplayName\"=\"Main Office PBX\""),
        QString(),
        QStringLiteral("[%1\\QLM\\1.0\\initialization\\integrations\\integration2]").arg(hklm),
        QStringLiteral("\"DisplayName\"=\"Branch SIP Gateway\""),
        QString(),
    };
    writeFile(folder + QStringLiteral("registry.reg"), lines.join(QStringLiteral("\r\n")).toUtf8());
}

void writeState(const QString& folder)
{
    writeFile(folder + QStringLiteral("state"), QByteArrayLiteral("32\n"));
}

QString streamFolder(const QString& root)
{
    const QString folder = root + kStreamFolder;
    if (!QDir().mkpath(folder))
        throwError(PathFileAccessError, QStringLiteral("Cannot create the folder \"%1\".").arg(folder));
    return folder + QLatin1Char('/');
}

// One audible file per stored greeting or question name, each with its own pitch.
void writeStreamFiles(SqliteDb& db, const QString& folder)
{
    Statement st(db, QStringLiteral("SELECT StreamPath FROM MessagingRule WHERE coalesce(StreamPath, '') <> '' "
                                    "UNION SELECT StreamPath FROM InterviewQuestion WHERE coalesce(StreamPath, '') <> '' "
                                    "ORDER BY 1"));
    int n = 0;
    while (st.step())
        writeWavFile(folder + st.column(0).toText(), toneWav(1200, 330.0 + 22.0 * (n++ % 24)));
}

template <typename Content>
void writeSite(const QString& dir, quint64 seed, Content content)
{
    StagedRoot root(dir);
    const QString streams = streamFolder(root.path());
    {
        SiteBuilder builder(root.path() + kDatabaseFile, seed);
        content(builder);
        builder.commit();
        writeStreamFiles(builder.db(), streams);
    }
    writeRegistry(root.path(), root.root());
    writeState(root.path());
    root.commit();
}

} // namespace
} // namespace SiteWriting

void writeDemoSite(const QString& dir)
{
    SiteWriting::writeSite(dir, 20240601, SiteWriting::writeDemoContent);
}

void writeLargeSite(const QString& dir, const LargeSiteSizes& sizes)
{
    SiteWriting::writeSite(dir, 20240602, [&](SiteWriting::SiteBuilder& b) { SiteWriting::writeLargeContent(b, sizes); });
}
