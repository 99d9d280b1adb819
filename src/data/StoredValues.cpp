#include "data/StoredValues.h"

bool holdsCode(const Variant& stored, double code)
{
    return !stored.isNull() && stored.toDouble() == code;
}

bool holdsName(const Variant& stored, const char* name)
{
    return !stored.isNull() && stored.textOrEmpty().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool isFlagSet(const Variant& stored)
{
    return !stored.isNull() && stored.toBool();
}

bool isRuleOn(const Variant& timeExpires, const QDateTime& now)
{
    return timeExpires.isNull() || timeExpires.toDate() > now;
}
