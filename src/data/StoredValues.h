#pragma once

#include "runtime/Variant.h"

// How the editors and the pane read the codes stored in a row. Null holds no code.

// A number column holds the code. A text that is no number raises a type mismatch, as reading
// it as a number would.
bool holdsCode(const Variant& stored, double code);
