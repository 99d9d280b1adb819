#include "runtime/SlotGuard.h"

#include "fakes/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(SlotGuardTest, ARuntimeErrorIsShownAndTheProgramGoesOn)
{
    ScriptedPrompts prompts;
    bool after = false;
    guarded(prompts, [] { throw RuntimeError(94, QStringLiteral("Invalid use of Null")); });
    guarded(prompts, [&] { after = true; });
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("Run-time error '94':\n\nInvalid use of Null")});
    EXPECT_TRUE(after);
}

TEST(SlotGuardDeathTest, AnyOtherExceptionEndsTheProgramWithAReport)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScriptedPrompts prompts;
    EXPECT_DEATH(guarded(prompts, [] { throw std::out_of_range("row 7 of 3"); }), "internal error, the program ends: row 7 of 3");
}

} // namespace
