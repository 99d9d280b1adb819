#pragma once

#include "platform/RuntimeError.h"
#include "platform/UserPrompts.h"

#include <QString>
#include <exception>

// A procedure that "handles its own errors" shows the message and carries on with its next step.
// Each step runs through one of these; the message is the procedure's fixed prefix followed by
// the error's description (or whatever the caller builds from the error).
template <typename Step>
bool runStep(UserPrompts& prompts, const QString& prefix, Step&& step)
{
    try {
        step();
        return true;
    } catch (const RuntimeError& e) {
        prompts.msgBox(prefix + e.description());
    } catch (const std::exception& e) {
        prompts.msgBox(prefix + QString::fromUtf8(e.what()));
    }
    return false;
}

// A step whose errors are passed over silently.
template <typename Step>
bool runStepSilently(Step&& step)
{
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The "(error):" form: "(error):<n> (<description>) in procedure <proc> of Form <form>".
QString procedureErrorText(const RuntimeError& e, const QString& procedure, const QString& ownerKind, const QString& owner);
