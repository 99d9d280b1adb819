#include "data/StoredValues.h"

bool holdsCode(const Variant& stored, double code)
{
    return !stored.isNull() && stored.toDouble() == code;
}

bool isFlagSet(const Variant& stored)
{
    return !stored.isNull() && stored.toBool();
}

bool isRuleOn(const Variant& timeExpires, const QDateTime& now)
{
    return timeExpires.isNull() || timeExpires.toDate() > now;
}
