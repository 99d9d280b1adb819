#include "data/StoredValues.h"

#include "runtime/RuntimeError.h"

#include <gtest/gtest.h>

namespace {

// The error a read raises; 0 when it raises none.
template <typename Read>
int errorOf(Read read)
{
    try {
        read();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(StoredValuesTest, ACodeIsComparedAsANumberAndNullHoldsNone)
{
    const struct {
        Variant stored;
        double code;
        bool holds;
    } cases[] = {
        {Variant::null(), 0, false},
        {Variant::null(), 1, false},
        {0, 0, true},
        {0, 1, false},
        {1, 1, true},
        {1, 0, false},
        {-1, 1, false},
        {-1, 0, false},
        {2, 1, false},
        {1.0, 1, true},
        {0.5, 0, false},
        {"1", 1, true},
        {"0", 0, true},
        {"0", 1, false},
        {true, -1, true},
        {false, 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(holdsCode(c.stored, c.code), c.holds) << c.stored.textOrEmpty().toStdString() << " code " << c.code;

    // A text that is no number is a type mismatch, as reading it as a number is.
    for (const char* text : {"", "True", "Release"})
        EXPECT_EQ(errorOf([&] { holdsCode(Variant(text), 0); }), ErrorNumber::TypeMismatch) << text;
}

TEST(StoredValuesTest, AFlagIsSetByANonZeroNumberOrTrueAndNullSetsNone)
{
    const struct {
        Variant stored;
        bool set;
    } cases[] = {
        {Variant::null(), false},
        {Variant(), false},
        {0, false},
        {1, true},
        {-1, true},
        {2, true},
        {0.0, false},
        {"1", true},
        {"0", false},
        {"-1", true},
        {"True", true},
        {"true", true},
        {"False", false},
        {" TRUE ", true},
        {true, true},
        {false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isFlagSet(c.stored), c.set) << c.stored.textOrEmpty().toStdString();

    for (const char* text : {"", "yes"})
        EXPECT_EQ(errorOf([&] { isFlagSet(Variant(text)); }), ErrorNumber::TypeMismatch) << text;
}

TEST(StoredValuesTest, ARuleIsOnWithoutAnExpiryOrUntilItsExpiryHasPassed)
{
    const QDateTime now(QDate(2004, 2, 2), QTime(9, 6, 10));
    const struct {
        Variant timeExpires;
        bool on;
    } cases[] = {
        {Variant::null(), true}, {now.addSecs(1), true},         {now.addYears(10), true}, {now, false}, {now.addSecs(-1), false},
        {"1/2/93", false}, // the date a switched-off rule is written with
        {"2/3/2004", true},      {"2004-02-02T09:06:09", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isRuleOn(c.timeExpires, now), c.on) << c.timeExpires.textOrEmpty().toStdString();

    for (const Variant& noDate : {Variant(""), Variant("never"), Variant(1)})
        EXPECT_EQ(errorOf([&] { isRuleOn(noDate, now); }), ErrorNumber::TypeMismatch) << noDate.textOrEmpty().toStdString();
}

} // namespace
