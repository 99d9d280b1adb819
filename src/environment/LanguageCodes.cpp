#include "environment/LanguageCodes.h"

#include <QLocale>
#include <array>

namespace {

constexpr qint32 kTddTty = 33801;
constexpr qint32 kDefaultLcid = 1033;

struct CodeRow {
    const char* code;
    qint32 lcid;
};

// The code table, in its order: the first row of a code wins.
constexpr std::array<CodeRow, 44> kCodeTable = {{
    {"ENX", 33801}, {"ENU", 1033},  {"ENG", 2057}, {"ENA", 3081}, {"ENC", 4105}, {"ENZ", 5129},  {"ENI", 6153},  {"DEU", 1031},
    {"DES", 2055},  {"DEA", 3079},  {"DEL", 4103}, {"DEC", 5127}, {"ESP", 1034}, {"ESM", 2058},  {"ESN", 3082},  {"ESG", 4106},
    {"ESC", 5130},  {"ESA", 6154},  {"ESD", 7178}, {"ESV", 8202}, {"ESO", 9226}, {"ESR", 10250}, {"ESS", 11274}, {"ESH", 18442},
    {"ESI", 19466}, {"ESU", 20490}, {"FRA", 1036}, {"FRB", 2060}, {"FRC", 3084}, {"FRS", 4108},  {"FRL", 5132},  {"ITA", 1040},
    {"ITS", 2064},  {"JPN", 1041},  {"NLD", 1043}, {"NLB", 2067}, {"NOR", 1044}, {"NON", 2068},  {"PTB", 1046},  {"PTG", 2070},
    {"CHT", 1028},  {"ZHT", 3076},  {"CHS", 2052}, {"ZHI", 4100},
}};

// What the platform knows of an LCID: its abbreviation and the locale that names it. The
// languages of the code table, and the common ones a server's handlers may carry besides.
struct PlatformLanguage {
    qint32 lcid;
    const char* abbreviation;
    QLocale::Language language;
    QLocale::Territory territory;
};

const std::array<PlatformLanguage, 56> kPlatformLanguages = {{
    {1033, "ENU", QLocale::English, QLocale::UnitedStates},    {2057, "ENG", QLocale::English, QLocale::UnitedKingdom},
    {3081, "ENA", QLocale::English, QLocale::Australia},       {4105, "ENC", QLocale::English, QLocale::Canada},
    {5129, "ENZ", QLocale::English, QLocale::NewZealand},      {6153, "ENI", QLocale::English, QLocale::Ireland},
    {1031, "DEU", QLocale::German, QLocale::Germany},          {2055, "DES", QLocale::German, QLocale::Switzerland},
    {3079, "DEA", QLocale::German, QLocale::Austria},          {4103, "DEL", QLocale::German, QLocale::Luxembourg},
    {5127, "DEC", QLocale::German, QLocale::Liechtenstein},    {1034, "ESP", QLocale::Spanish, QLocale::Spain},
    {2058, "ESM", QLocale::Spanish, QLocale::Mexico},          {3082, "ESN", QLocale::Spanish, QLocale::Spain},
    {4106, "ESG", QLocale::Spanish, QLocale::Guatemala},       {5130, "ESC", QLocale::Spanish, QLocale::CostaRica},
    {6154, "ESA", QLocale::Spanish, QLocale::Panama},          {7178, "ESD", QLocale::Spanish, QLocale::DominicanRepublic},
    {8202, "ESV", QLocale::Spanish, QLocale::Venezuela},       {9226, "ESO", QLocale::Spanish, QLocale::Colombia},
    {10250, "ESR", QLocale::Spanish, QLocale::Peru},           {11274, "ESS", QLocale::Spanish, QLocale::Argentina},
    {18442, "ESH", QLocale::Spanish, QLocale::Honduras},       {19466, "ESI", QLocale::Spanish, QLocale::Nicaragua},
    {20490, "ESU", QLocale::Spanish, QLocale::PuertoRico},     {1036, "FRA", QLocale::French, QLocale::France},
    {2060, "FRB", QLocale::French, QLocale::Belgium},          {3084, "FRC", QLocale::French, QLocale::Canada},
    {4108, "FRS", QLocale::French, QLocale::Switzerland},      {5132, "FRL", QLocale::French, QLocale::Luxembourg},
    {1040, "ITA", QLocale::Italian, QLocale::Italy},           {2064, "ITS", QLocale::Italian, QLocale::Switzerland},
    {1041, "JPN", QLocale::Japanese, QLocale::Japan},          {1043, "NLD", QLocale::Dutch, QLocale::Netherlands},
    {2067, "NLB", QLocale::Dutch, QLocale::Belgium},           {1044, "NOR", QLocale::NorwegianBokmal, QLocale::Norway},
    {2068, "NON", QLocale::NorwegianNynorsk, QLocale::Norway}, {1046, "PTB", QLocale::Portuguese, QLocale::Brazil},
    {2070, "PTG", QLocale::Portuguese, QLocale::Portugal},     {1028, "CHT", QLocale::Chinese, QLocale::Taiwan},
    {3076, "ZHH", QLocale::Chinese, QLocale::HongKong},        {2052, "CHS", QLocale::Chinese, QLocale::China},
    {4100, "ZHI", QLocale::Chinese, QLocale::Singapore},       {1042, "KOR", QLocale::Korean, QLocale::SouthKorea},
    {1053, "SVE", QLocale::Swedish, QLocale::Sweden},          {1030, "DAN", QLocale::Danish, QLocale::Denmark},
    {1035, "FIN", QLocale::Finnish, QLocale::Finland},         {1045, "PLK", QLocale::Polish, QLocale::Poland},
    {1049, "RUS", QLocale::Russian, QLocale::Russia},          {1029, "CSY", QLocale::Czech, QLocale::CzechRepublic},
    {1038, "HUN", QLocale::Hungarian, QLocale::Hungary},       {1032, "ELL", QLocale::Greek, QLocale::Greece},
    {1055, "TRK", QLocale::Turkish, QLocale::Turkey},          {1037, "HEB", QLocale::Hebrew, QLocale::Israel},
    {1025, "ARA", QLocale::Arabic, QLocale::SaudiArabia},      {1054, "THA", QLocale::Thai, QLocale::Thailand},
}};

const PlatformLanguage* platformLanguage(qint32 lcid)
{
    for (const PlatformLanguage& language : kPlatformLanguages)
        if (language.lcid == lcid)
            return &language;
    return nullptr;
}

} // namespace

namespace LanguageCodes {

qint32 GetLCIDFromCode(const QString& code)
{
    for (const CodeRow& row : kCodeTable)
        if (code == QLatin1String(row.code))
            return row.lcid;
    return kDefaultLcid;
}

QString GetLanguageCode(qint32 lcid)
{
    if (lcid == kTddTty)
        return QStringLiteral("ENX");
    const PlatformLanguage* language = platformLanguage(lcid);
    return language ? QString::fromLatin1(language->abbreviation) : QStringLiteral("ERR");
}

QString GetLanguageName(qint32 lcid)
{
    if (lcid == kTddTty)
        return QStringLiteral("English (TDD/TTY)");
    const PlatformLanguage* language = platformLanguage(lcid);
    if (!language)
        return QStringLiteral("(error)");
    return QStringLiteral("%1 (%2)").arg(QLocale::languageToString(language->language),
                                         QLocale::territoryToString(language->territory));
}

QString GetLanguageNameFromCode(const QString& code)
{
    return GetLanguageName(GetLCIDFromCode(code));
}

qint32 lcidOfLocale(const QLocale& locale)
{
    const PlatformLanguage* sameLanguage = nullptr;
    for (const PlatformLanguage& language : kPlatformLanguages) {
        if (language.language != locale.language())
            continue;
        if (language.territory == locale.territory())
            return language.lcid;
        if (!sameLanguage)
            sameLanguage = &language;
    }
    return sameLanguage ? sameLanguage->lcid : kDefaultLcid;
}

} // namespace LanguageCodes
