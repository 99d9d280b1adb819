#pragma once

#include "runtime/Variant.h"

#include <QDateTime>

// How the editors, the pane and the tree read codes, flags and switch-off dates stored in a row.
// Null holds no code and sets no flag.

// A number column holds the code. A text that is no number raises a type mismatch, as reading
// it as a number would.
bool holdsCode(const Variant& stored, double code);

// A text column (a conversation name) holds the name, in any case.
bool holdsName(const Variant& stored, const char* name);

// A flag column (IsPrimary, IsPrimaryID, EditMsg, IgnoreDigits) is set when the runtime reads its
// value as true: any number but 0, or the text "True" in any case. A text that is neither a number
// nor "True"/"False" raises a type mismatch.
bool isFlagSet(const Variant& stored);

// A greeting or transfer rule is on while its TimeExpires is Null or later than now. A value that
// is no date raises a type mismatch.
bool isRuleOn(const Variant& timeExpires, const QDateTime& now);
