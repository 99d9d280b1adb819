#include "environment/LanguageCodes.h"

#include "runtime/RuntimeError.h"

#include <QFile>
#include <QLocale>
#include <QTextStream>
#include <vector>

// Resources of a static library are registered by name, outside any namespace.
static void registerLanguageData()
{
    Q_INIT_RESOURCE(languages);
}

namespace {

constexpr qint32 kTddTty = 33801;
constexpr qint32 kDefaultLcid = 1033;

struct CodeRow {
    QString code;
    qint32 lcid;
};

// What the platform knows of an LCID: its abbreviation, the locale that stands for it and its
// display name.
struct PlatformLanguage {
    qint32 lcid;
    QString abbreviation;
    QLocale locale;
    QString name;
};

struct LanguageData {
    std::vector<CodeRow> codes;
    std::vector<PlatformLanguage> languages;
};

[[noreturn]] void badData(int line, const QString& text)
{
    throwError(ErrorNumber::ProviderFailure, QStringLiteral("The language table is damaged at line %1: %2").arg(line).arg(text));
}

qint32 lcidField(const QString& field, int line, const QString& text)
{
    bool whole = false;
    const qint32 lcid = field.toInt(&whole);
    if (!whole)
        badData(line, text);
    return lcid;
}

LanguageData readLanguageData()
{
    registerLanguageData();
    QFile file(QStringLiteral(":/environment/languages.tsv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throwError(ErrorNumber::ProviderFailure, QStringLiteral("The language table cannot be read: ") + file.errorString());
    LanguageData data;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    for (int line = 1; !in.atEnd(); ++line) {
        const QString text = in.readLine();
        if (text.trimmed().isEmpty() || text.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = text.split(QLatin1Char('\t'));
        if (fields[0] == QLatin1String("code") && fields.size() == 3)
            data.codes.push_back({fields[1], lcidField(fields[2], line, text)});
        else if (fields[0] == QLatin1String("lcid") && fields.size() == 5)
            data.languages.push_back({lcidField(fields[1], line, text), fields[2], QLocale(fields[3]), fields[4]});
        else
            badData(line, text);
    }
    return data;
}

// Read once, the first time a language is looked up; it never changes during a run.
const LanguageData& languageData()
{
    static const LanguageData data = readLanguageData();
    return data;
}

const PlatformLanguage* platformLanguage(qint32 lcid)
{
    for (const PlatformLanguage& language : languageData().languages)
        if (language.lcid == lcid)
            return &language;
    return nullptr;
}

} // namespace

namespace LanguageCodes {

std::optional<qint32> findLCIDOfCode(const QString& code)
{
    for (const CodeRow& row : languageData().codes)
        if (code == row.code)
            return row.lcid;
    return std::nullopt;
}

qint32 GetLCIDFromCode(const QString& code)
{
    return findLCIDOfCode(code).value_or(kDefaultLcid);
}

QString GetLanguageCode(qint32 lcid)
{
    if (lcid == kTddTty)
        return QStringLiteral("ENX");
    const PlatformLanguage* language = platformLanguage(lcid);
    return language ? language->abbreviation : QStringLiteral("ERR");
}

QString GetLanguageName(qint32 lcid)
{
    if (lcid == kTddTty)
        return QStringLiteral("English (TDD/TTY)");
    const PlatformLanguage* language = platformLanguage(lcid);
    return language ? language->name : QStringLiteral("(error)");
}

QString GetLanguageNameFromCode(const QString& code)
{
    return GetLanguageName(GetLCIDFromCode(code));
}

qint32 lcidOfLocale(const QLocale& locale)
{
    const PlatformLanguage* sameLanguage = nullptr;
    for (const PlatformLanguage& language : languageData().languages) {
        if (language.locale.language() != locale.language())
            continue;
        if (language.locale.territory() == locale.territory())
            return language.lcid;
        if (!sameLanguage)
            sameLanguage = &language;
    }
    return sameLanguage ? sameLanguage->lcid : kDefaultLcid;
}

} // namespace LanguageCodes
