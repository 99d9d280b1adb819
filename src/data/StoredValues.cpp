#include "data/StoredValues.h"

bool holdsCode(const Variant& stored, double code)
{
    return !stored.isNull() && stored.toDouble() == code;
}
