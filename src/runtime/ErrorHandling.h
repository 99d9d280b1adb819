#pragma once

#include "runtime/RuntimeError.h"
#include "runtime/UserPrompts.h"

#include <QList>
#include <QString>
#include <functional>

// What a procedure that "handles its own errors" does with one: shows its message (its fixed
// prefix and the error's description, or a text built from the error), or passes over the error
// numbers it ignores. Only the runtime's errors are handled; a programming error goes on up.
class StepErrors {
public:
    using Text = std::function<QString(const RuntimeError&)>;

    StepErrors(const QString& prefix); // NOLINT(google-explicit-constructor): a prefix is the common case
    StepErrors(const char* prefix)
        : StepErrors(QString::fromUtf8(prefix))
    {
    }
    static StepErrors shownAs(Text text);
    static StepErrors passedOver();

    // This error number passes silently.
    StepErrors& except(int number);

    void report(UserPrompts* prompts, const RuntimeError& error) const;

private:
    StepErrors() = default;

    Text m_text;
    QList<int> m_passedOver;
    bool m_silent = false;
};

// Runs one step of such a procedure; false when it failed, so the procedure can go on with its
// next step or leave.
template <typename Step>
bool runStep(UserPrompts& prompts, const StepErrors& errors, Step&& step)
{
    try {
        step();
        return true;
    } catch (const RuntimeError& e) {
        errors.report(&prompts, e);
    }
    return false;
}

// A step whose runtime errors are passed over silently.
template <typename Step>
bool runStepSilently(Step&& step)
{
    try {
        step();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

// The steps of one run of a procedure that drives a device which may not be ready yet. A step
// that fails as not ready runs again once `wait` has let the device catch up, up to a number of
// repeats that all the steps of the run share; past it each further not-ready failure shows the
// not-ready message and the step is given up. Any other failure is reported as `errors` says.
class RetryingSteps {
public:
    struct NotReady {
        int number;  // the error number that means "not ready"
        int repeats; // for the whole run
        QString message;
        std::function<void()> wait;
    };

    RetryingSteps(UserPrompts& prompts, StepErrors errors, NotReady notReady);

    // False when the step was given up, so the procedure can go on with its next step.
    template <typename Step>
    bool run(Step&& step)
    {
        for (;;) {
            try {
                step();
                return true;
            } catch (const RuntimeError& e) {
                if (!repeatAfter(e))
                    return false;
            }
        }
    }

private:
    // True when the failed step is to run again; otherwise the failure has been reported.
    bool repeatAfter(const RuntimeError& e);

    UserPrompts& m_prompts;
    StepErrors m_errors;
    NotReady m_notReady;
    int m_repeated = 0;
};

// The "(error):" form: "(error):<n> (<description>) in procedure <proc> of Form <form>".
QString procedureErrorText(const RuntimeError& e, const QString& procedure, const QString& ownerKind, const QString& owner);
StepErrors::Text inProcedure(const QString& procedure, const QString& ownerKind, const QString& owner);
