#include "data/TalvoVersion.h"

#include "runtime/RuntimeError.h"
#include "system/RegistryStore.h"

#include <gtest/gtest.h>

namespace {

// The values lines go under the key as written, e.g. "\"Version Number\"=dword:00040000".
RegistryStore versionRegistry(const QByteArray& values)
{
    return RegistryStore::parse("[HKEY_LOCAL_MACHINE\\Software\\Halvane]\n" + values);
}

} // namespace

TEST(TalvoVersion, ReadsTheVersionFromTheRegistry)
{
    const struct {
        const char* values;
        const char* expected;
    } cases[] = {
        {"\"Version Number\"=dword:00040000\n\"Build Number\"=dword:00020078\n", "4.0(2.120)"},
        {"\"Version Number\"=dword:00040000\n\"Build Number\"=dword:0012000A\n", "4.0(12.10)"},
        {"\"Version Number\"=dword:00040000\n\"Build Number\"=dword:0002FFFF\n", "4.0(2.-1)"},
        {"\"Version Number\"=dword:00040000\n\"Build Number\"=dword:00028000\n", "4.0(2.-32768)"},
        {"\"Version Number\"=dword:00059999\n\"Build Number\"=dword:99997FFF\n", "5.9999(9999.32767)"},
        {"\"version number\"=dword:40001\n", "4.1(0.0)"},
        {"", "0.0(0.0)"},
        {"\"Version Number\"=\"4.0\"\n\"Build Number\"=hex:78,00,02,00\n", "0.0(0.0)"}, // wrong types count as missing
    };
    for (const auto& c : cases)
        EXPECT_EQ(talvoVersionText(GetTalvoVersion(versionRegistry(c.values))), QString::fromLatin1(c.expected)) << c.values;

    EXPECT_EQ(talvoVersionText(GetTalvoVersion(RegistryStore())), QStringLiteral("0.0(0.0)"));
}

TEST(TalvoVersion, NonDecimalDigitsInADecimalPartRaiseTypeMismatch)
{
    for (const char* values :
         {"\"Version Number\"=dword:000A0000\n", "\"Version Number\"=dword:0004000F\n", "\"Build Number\"=dword:00B00001\n"}) {
        try {
            GetTalvoVersion(versionRegistry(values));
            ADD_FAILURE() << "no error for " << values;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 13) << values;
        }
    }
}

TEST(TalvoVersion, IsTalvoVersionAtLeastComparesPartByPart)
{
    const struct {
        TalvoVersionInfo server;
        qint16 major, minor, build, revision;
        bool expected;
    } cases[] = {
        {{4, 0, 2, 120}, 4, 0, 2, 99, true}, {{4, 0, 2, 120}, 4, 0, 2, 120, true}, {{4, 0, 2, 120}, 4, 0, 2, 121, false},
        {{4, 0, 2, 120}, 4, 0, 1, 0, true},  {{4, 0, 2, -1}, 4, 0, 2, 0, false},   {{4, 0, 2, 0}, 4, 0, 2, -1, true},
        {{0, 0, 0, 0}, 4, 0, 1, 0, false},   {{4, 9, 0, 0}, 5, 0, 0, 0, false},    {{5, 0, 0, 0}, 4, 9, 9, 9, true},
        {{4, 0, 0, 999}, 4, 0, 1, 0, false}, {{4, 5, 9, 9}, 4, 0, 1, 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsTalvoVersionAtLeast(c.server, c.major, c.minor, c.build, c.revision), c.expected)
            << talvoVersionText(c.server).toStdString() << " vs " << c.major << '.' << c.minor << '(' << c.build << '.'
            << c.revision << ')';
}
