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

} // namespace
