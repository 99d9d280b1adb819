#include "runtime/Variant.h"

#include "runtime/RuntimeError.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(Variant, NullStaysApartFromEmptyTextAndZero)
{
    const Variant null = Variant::null();
    EXPECT_TRUE(null.isNull());
    EXPECT_NE(null, Variant(QString()));
    EXPECT_NE(null, Variant(0));
    EXPECT_NE(Variant(QString()), Variant(0));
    EXPECT_EQ(null, Variant::null());
    EXPECT_EQ(null.textOrEmpty(), QString());
}

TEST(Variant, ConvertingNullRaisesInvalidUseOfNull)
{
    const Variant null = Variant::null();
    const std::vector<std::function<void()>> conversions = {
        [&] { null.toText(); }, [&] { null.toInt16(); },  [&] { null.toInt32(); },
        [&] { null.toBool(); }, [&] { null.toDouble(); }, [&] { null.toDate(); },
    };
    for (const auto& convert : conversions) {
        try {
            convert();
            ADD_FAILURE() << "no error raised";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 94);
            EXPECT_EQ(e.description(), QStringLiteral("Invalid use of Null"));
        }
    }
}

TEST(Variant, ConversionsFollowTheRuntime)
{
    EXPECT_EQ(Variant(" 42").toInt32(), 42);
    EXPECT_EQ(Variant("0030").toInt16(), 30);
    EXPECT_EQ(Variant(4.0).toText(), QStringLiteral("4"));
    EXPECT_EQ(Variant(2.5).toInt32(), 2); // half to even
    EXPECT_EQ(Variant(3.5).toInt32(), 4);
    EXPECT_EQ(Variant(true).toInt16(), -1);
    EXPECT_EQ(Variant(true).toText(), QStringLiteral("True"));
    EXPECT_TRUE(Variant(qint64(1)).toBool());
    EXPECT_FALSE(Variant("0").toBool());
    EXPECT_THROW(Variant("abc").toInt32(), RuntimeError);
    EXPECT_THROW(Variant(qint64(40000)).toInt16(), RuntimeError);
    EXPECT_EQ(Variant(qint64(33801)).toInt32(), 33801);
}

TEST(Variant, NumbersBeyondTheWholeNumbersOverflow)
{
    const Variant outside[] = {Variant(1e19),     Variant(-1e19),  Variant(9.3e18),   Variant(std::nan("")),
                               Variant(HUGE_VAL), Variant("1e30"), Variant("-9.3e18")};
    for (const Variant& v : outside) {
        try {
            v.toInt64();
            ADD_FAILURE() << v.textOrEmpty().toStdString() << " converted";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 6) << v.textOrEmpty().toStdString();
            EXPECT_EQ(e.description(), QStringLiteral("Overflow"));
        }
    }
    EXPECT_EQ(Variant(-0x1p63).toInt64(), std::numeric_limits<qint64>::min());
    EXPECT_EQ(Variant(9.2e18).toInt64(), qint64(9200000000000000000));
    EXPECT_THROW(Variant(1e10).toInt32(), RuntimeError);
}

TEST(Variant, DatesParseAndPrintInTheGeneralForm)
{
    const QDateTime off = Variant("1/2/93").toDate();
    EXPECT_EQ(off.date(), QDate(1993, 1, 2));
    EXPECT_EQ(generalDateText(QDateTime(QDate(2026, 12, 10), QTime(13, 5, 9))), QStringLiteral("12/10/2026 1:05:09 PM"));
    EXPECT_EQ(generalDateText(QDateTime(QDate(1993, 1, 2), QTime(0, 0))), QStringLiteral("1/2/1993"));
    EXPECT_EQ(Variant("2026-12-10 08:00:00").toDate(), QDateTime(QDate(2026, 12, 10), QTime(8, 0)));
    EXPECT_FALSE(parseDateText("13/45/2020").isValid());
}
