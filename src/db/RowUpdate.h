#pragma once

#include "db/Recordset.h"
#include "runtime/ErrorHandling.h"

// Sets columns of the current row (or of a row just added) and updates it. On failure the edit
// is cancelled: nothing stays pending (the recordset has already read the row back from the
// database) and the error goes on up.
template <typename Set>
void updateRow(Recordset& rs, Set&& set, Recordset::Unmarked unmarked = Recordset::Unmarked::Reported)
{
    try {
        set();
        rs.update(unmarked);
    } catch (const RuntimeError&) {
        rs.cancelUpdate();
        throw;
    }
}

// The same as one step of a procedure that handles its own errors: a failure shows the
// procedure's message and leaves the row as the database holds it; false then.
template <typename Set>
bool writeRow(UserPrompts& prompts, const StepErrors& errors, Recordset& rs, Set&& set)
{
    return runStep(prompts, errors, [&] { updateRow(rs, set); });
}
