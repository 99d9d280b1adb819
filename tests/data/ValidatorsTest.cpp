#include "data/Validators.h"

#include "fixtures/SiteState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Validators, MyIsNumberTakesDigitsWithinTheBounds)
{
    struct Case {
        const char* text;
        qint32 lower, upper;
        bool expected;
    };
    const Case cases[] = {
        {"", 0, 0, true},         {"0", 0, 0, true},    {"12", 0, 0, true},
        {" 12 ", 0, 0, true},     {"007", 0, 0, true},  {"99999999999999999999", 0, 0, true}, // no range: any run of digits
        {"-1", 0, 0, false},      {"1.5", 0, 0, false}, {"5.0", 0, 0, false},
        {"abc", 0, 0, false},     {"1E3", 0, 0, false}, {"+12", 0, 0, false},
        {"1 2", 0, 0, false},     {"   ", 0, 0, false}, {"&H1F", 0, 0, false},
        {"0", 1, 10, false},      {"11", 1, 10, false}, {"1", 1, 10, true},
        {"10", 1, 10, true},      {"", 1, 10, true},    {"3600", 0, 3600, true},
        {"3601", 0, 3600, false}, {"０", 0, 0, false}, // a full-width digit is no digit here
    };
    for (const Case& c : cases)
        EXPECT_EQ(MyIsNumber(QString::fromUtf8(c.text), c.lower, c.upper), c.expected)
            << '"' << c.text << "\" " << c.lower << ".." << c.upper;
}

TEST(Validators, DialableStringsAreDigitsAndDialCharacters)
{
    struct Case {
        const char* text;
        bool allowX;
        bool expected;
    };
    const Case cases[] = {
        {"", false, true},     {"9,,555*1#", false, true}, {"5551212", false, true}, {"555-1212", false, false},
        {",", false, false},   {"*#", false, false},       {"-5", false, false},     {"1.5", false, false},
        {"1E5", false, false}, {"+5", false, false},       {" 55", false, false},    {"55x1", false, false},
        {"55x1", true, true},  {"55X1", true, true},       {"x", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(myIsDialableString(QString::fromUtf8(c.text), c.allowX), c.expected) << '"' << c.text << "\" " << c.allowX;
}

TEST(Validators, NameFieldsTakeLettersDigitsBlanksHyphensAndCommas)
{
    EXPECT_TRUE(myIsValidNameField("Sales, North-East 2"));
    EXPECT_TRUE(myIsValidNameField("aZ09 -,"));
    for (const char* bad : {"", "O'Brien", "under_score", "Dr. Who", "Zoë", "Tab\there", "Sales!"})
        EXPECT_FALSE(myIsValidNameField(QString::fromUtf8(bad))) << bad;
}

TEST(Validators, StringHelpers)
{
    EXPECT_EQ(RemoveSpaces("  a b\tc  "), "ab\tc");
    const std::pair<qint16, const char*> names[] = {{1, "Subscriber"},      {2, "Distribution List"}, {3, "Call Handler"},
                                                    {4, "Unknown"},         {5, "Inteview Handler"},  {6, "Directory Handler"},
                                                    {9, "Location Object"}, {0, "Unknown"},           {-1, "Unknown"}};
    for (const auto& [code, name] : names)
        EXPECT_EQ(GetObjectTypeName(code), name) << code;

    QTemporaryDir dir;
    QFile(dir.filePath("take.wav")).open(QIODevice::WriteOnly);
    QFile(dir.filePath(".hidden.wav")).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir("folder.wav");
    EXPECT_TRUE(FileExists(dir.filePath("take.wav")));
    EXPECT_FALSE(FileExists(dir.filePath(".hidden.wav")));
    EXPECT_FALSE(FileExists(dir.filePath("folder.wav")));
    EXPECT_FALSE(FileExists(dir.filePath("missing.wav")));
    EXPECT_FALSE(FileExists(""));
}

// The extension check on the demo site, with the run's cache open.
class IsValidExtensionTest : public ::testing::Test {
protected:
    SharedState& open()
    {
        SharedState& state = s.buildState();
        state.ConnectionString = ConnectionFactory::connectionStringFor(QStringLiteral("TESTHOST"));
        EXPECT_TRUE(state.cache.OpenDatabaseRecordsets(state.ConnectionString));
        return state;
    }
    SiteState s;
};

TEST_F(IsValidExtensionTest, RefusesWithTheReasonOrAcceptsAFreeExtension)
{
    SharedState& state = open();
    const QString inUse = QStringLiteral("That extension is in use by the following objects:\r\n");
    struct Case {
        const char* text;
        qint16 minLen;
        bool expected;
        QString message; // empty: none shown
    };
    const Case cases[] = {
        {"12", 3, false, "Extensions must be at least 3 digits in length"},
        {"", 3, false, "Extensions must be at least 3 digits in length"},
        {"", 0, true, ""},
        {"   ", 0, true, ""},
        {"12a", 0, false, "Only numbers are allowed for the extension number"},
        {"-12", 0, false, "Extensions must be positive numbers only"},
        {"12.5", 0, false, "Extension must be a whole number only"},
        {"1E3", 0, false, "Only numbers are allowed for the extension number"},
        {"+12", 0, false, "Only numbers are allowed for the extension number"},
        {"-0", 0, false, "Only numbers are allowed for the extension number"},
        {"-1E400", 0, false, "Extensions must be positive numbers only"},
        {"0", 0, true, ""},
        {"999", 3, true, ""},
        {" 110", 0, false, inUse + "    Call Handler with alias=operatorch and a display name=Operator\r\n"},
        {"2001", 3, false, inUse + "    Subscriber in the dialing domain with alias=amoreno and a display name=Alice Moreno\r\n"},
    };
    for (const Case& c : cases) {
        s.prompts.messages.clear();
        EXPECT_EQ(isValidExtension(state, QString::fromLatin1(c.text), c.minLen), c.expected) << '"' << c.text << '"';
        EXPECT_EQ(s.prompts.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message}) << '"' << c.text << '"';
    }
}

TEST_F(IsValidExtensionTest, ListsEveryObjectThatUsesTheExtension)
{
    // The survey shares the operator's number.
    s.site.execute("UPDATE DTMFAccessID SET DTMFAccessID = '110' WHERE DTMFAccessID = '300'");
    SharedState& state = open();
    EXPECT_FALSE(isValidExtension(state, "110", 0));
    EXPECT_EQ(s.prompts.messages, QStringList{"That extension is in use by the following objects:\r\n"
                                              "    Call Handler with alias=operatorch and a display name=Operator\r\n"
                                              "    Interview Handler with alias=customerfeedback and a display name=Customer "
                                              "Feedback\r\n"});
}

TEST_F(IsValidExtensionTest, ASearchThatFailsNeverPassesAnExtension)
{
    SharedState& state = open();
    state.cache.rsLocation.close();
    EXPECT_FALSE(isValidExtension(state, "999", 0));
    ASSERT_EQ(s.prompts.messages.size(), 1);
    EXPECT_TRUE(s.prompts.messages[0].startsWith("Error in isValidExtension:")) << s.prompts.messages[0].toStdString();
    // Clearing the extension needs no search, so it still passes.
    EXPECT_TRUE(isValidExtension(state, "", 0));
}

} // namespace
