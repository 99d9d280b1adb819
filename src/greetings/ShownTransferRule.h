#pragma once

#include "pane/PaneControls.h"
#include "runtime/ErrorHandling.h"

#include <array>

// The texts and ways of one page's transfer-rule editors.
struct TransferRuleTexts {
    const char* saveError;
    const char* attemptRingPhoneError;
    const char* sendToGreetingError; // null: its failures pass silently
    const char* transferTypeError;
    const char* ringsError;
    const char* transferStringError;
    const char* ringsRefused;
    const char* transferStringRefused;
    // The call handler page rings the operator where the handler has no extension, and writes
    // the replacement of a refused transfer string; the subscriber page does neither.
    bool operatorFallback;
};

// One transfer rule as a page shows it: the call handler page shows three, the subscriber page
// one, the "Alternate" rule of the subscriber's own handler. Everything the twins differ in is
// here, so that one set of editors serves both pages.
struct ShownTransferRule {
    EditorPage page = EditorPage::CallHandler;
    int index = 0;                   // the rule's alias in TransferRuleAlias
    TransferRuleControls controls{}; // no enabled box: the page never switches the rule on or off
    const TransferRuleTexts* texts = nullptr;

    StepErrors errors(const char* text) const { return text ? StepErrors(text) : StepErrors::passedOver(); }
};

std::array<ShownTransferRule, TransferRuleCount> handlerTransferRules(const HandlerTransferControls& controls);
ShownTransferRule subscriberTransferRule(const TransferRuleControls& controls);

// The rule's type list, read and set by the TransferType code each entry carries. No entry chosen
// (a cleared page) shows no code.
bool showsTransferType(const TransferRuleControls& controls, qint16 code);
// Runs the list's handler unless the caller blocks it.
void chooseTransferType(const TransferRuleControls& controls, qint16 code);
