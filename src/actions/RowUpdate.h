#pragma once

#include "db/Recordset.h"
#include "runtime/RuntimeError.h"

// Sets columns of the current row and updates it; on failure nothing stays pending (the
// recordset has already read the row back from the database) and the error goes on up.
template <typename Set>
void updateRow(Recordset& rs, Set&& set)
{
    try {
        set();
        rs.update();
    } catch (const RuntimeError&) {
        rs.cancelUpdate();
        throw;
    }
}
