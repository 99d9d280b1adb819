#include "runtime/ErrorHandling.h"

#include "fakes/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace {

constexpr int kNotReady = -2147467259;
const QString kGivenUp = QStringLiteral("Unable to reload");

RuntimeError notReady()
{
    return RuntimeError(kNotReady, QStringLiteral("not ready"));
}

struct RecordRun {
    ScriptedPrompts prompts;
    int waits = 0;
    RetryingSteps steps{prompts, QStringLiteral("Error in cmd:"), {kNotReady, 10, kGivenUp, [this] { ++waits; }}};

    // A step that fails as not ready `failures` times, then succeeds; counts its attempts.
    bool stepFailing(int failures, int& attempts)
    {
        return steps.run([&] {
            if (++attempts <= failures)
                throw notReady();
        });
    }
};

// The repeats are shared by the run's steps: ten in all, the eleventh not-ready failure gives up
// that step with the message, and every later one gives up at once with its own message.
TEST(RetryingSteps, TenRepeatsPerRunThenAMessageForEachFurtherFailure)
{
    RecordRun r;
    int first = 0, second = 0, third = 0, fourth = 0;
    EXPECT_TRUE(r.stepFailing(6, first));
    EXPECT_EQ(first, 7);
    EXPECT_TRUE(r.stepFailing(4, second));
    EXPECT_EQ(second, 5);
    EXPECT_TRUE(r.prompts.messages.isEmpty());

    EXPECT_FALSE(r.stepFailing(100, third));
    EXPECT_EQ(third, 1);
    EXPECT_FALSE(r.stepFailing(100, fourth));
    EXPECT_EQ(fourth, 1);
    EXPECT_EQ(r.prompts.messages, QStringList({kGivenUp, kGivenUp}));
    // Pending events run after every not-ready failure, also the ones given up.
    EXPECT_EQ(r.waits, 12);

    int fine = 0;
    EXPECT_TRUE(r.stepFailing(0, fine));
    EXPECT_EQ(fine, 1);
}

// Any other failure is reported with the procedure's prefix and not repeated.
TEST(RetryingSteps, OtherFailuresAreReportedOnceWithoutWaiting)
{
    RecordRun r;
    int attempts = 0;
    EXPECT_FALSE(r.steps.run([&] {
        ++attempts;
        throw RuntimeError(53, QStringLiteral("File not found"));
    }));
    EXPECT_EQ(attempts, 1);
    EXPECT_EQ(r.waits, 0);
    EXPECT_EQ(r.prompts.messages, QStringList{QStringLiteral("Error in cmd:File not found")});

    // A not-ready failure after it still has its ten repeats.
    int later = 0;
    EXPECT_TRUE(r.stepFailing(10, later));
    EXPECT_EQ(later, 11);
}

} // namespace
