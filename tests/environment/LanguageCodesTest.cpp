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
        {"ENU", 1033, "English (United States)"}, {"ENX", 33801, "English (TDD/TTY)"},      {"DEU", 1031, "German (Germany)"},
        {"JPN", 1041, "Japanese (Japan)"},        {"deu", 1033, "English (United States)"}, // the table is matched with regard to
                                                                                            // case
        {"", 1033, "English (United States)"},    {"SVE", 1033, "English (United States)"}, // a code the platform knows but the
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

} // namespace
