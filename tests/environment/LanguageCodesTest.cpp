#include "environment/LanguageCodes.h"

#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using namespace LanguageCodes;

TEST(LanguageCodes, CodesNamesAndLcidsConvertAsTheTablesSay)
{
    const struct {
        QString code;
        qint32 lcid;
        QString name;
    } cases[] = {
        {"ENU", 1033, "English (United States)"},
        {"ENX", 33801, "English (TDD/TTY)"},
        {"DEU", 1031, "German (Germany)"},
        {"JPN", 1041, "Japanese (Japan)"},
        {"deu", 1033, "English (United States)"}, // the table is matched with regard to
                                                  // case
        {"", 1033, "English (United States)"},
        {"SVE", 1033, "English (United States)"}, // a code the platform knows but the
                                                  // table lacks
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetLCIDFromCode(c.code), c.lcid) << c.code.toStdString();
        EXPECT_EQ(GetLanguageNameFromCode(c.code), c.name) << c.code.toStdString();
    }
    EXPECT_EQ(GetLanguageCode(33801), "ENX");
    EXPECT_EQ(GetLanguageCode(1033), "ENU");
    EXPECT_EQ(GetLanguageCode(1053), "SVE");
    EXPECT_EQ(GetLanguageCode(12345), "ERR");
    EXPECT_EQ(GetLanguageName(12345), "(error)");
    EXPECT_EQ(GetLanguageName(1053), "Swedish (Sweden)");
}

TEST(LanguageCodes, TheShippedTableHoldsEveryCodeWithItsLcidAndANameAndSaysWhenACodeIsUnknown)
{
    const struct {
        const char* code;
        qint32 lcid;
    } table[] = {{"ENX", 33801}, {"ENU", 1033},  {"ENG", 2057},  {"ENA", 3081},  {"ENC", 4105},  {"ENZ", 5129}, {"ENI", 6153},
                 {"DEU", 1031},  {"DES", 2055},  {"DEA", 3079},  {"DEL", 4103},  {"DEC", 5127},  {"ESP", 1034}, {"ESM", 2058},
                 {"ESN", 3082},  {"ESG", 4106},  {"ESC", 5130},  {"ESA", 6154},  {"ESD", 7178},  {"ESV", 8202}, {"ESO", 9226},
                 {"ESR", 10250}, {"ESS", 11274}, {"ESH", 18442}, {"ESI", 19466}, {"ESU", 20490}, {"FRA", 1036}, {"FRB", 2060},
                 {"FRC", 3084},  {"FRS", 4108},  {"FRL", 5132},  {"ITA", 1040},  {"ITS", 2064},  {"JPN", 1041}, {"NLD", 1043},
                 {"NLB", 2067},  {"NOR", 1044},  {"NON", 2068},  {"PTB", 1046},  {"PTG", 2070},  {"CHT", 1028}, {"ZHT", 3076},
                 {"CHS", 2052},  {"ZHI", 4100}};
    for (const auto& row : table) {
        EXPECT_EQ(findLCIDOfCode(row.code), row.lcid) << row.code;
        EXPECT_NE(GetLanguageName(row.lcid), "(error)") << row.code;
        EXPECT_NE(GetLanguageCode(row.lcid), "ERR") << row.code;
    }
    for (const QString& unknown : {QString("XYZ"), QString("enu"), QString(""), QString("ENU "), QString("ERR")})
        EXPECT_EQ(findLCIDOfCode(unknown), std::nullopt) << unknown.toStdString();
}

} // namespace
