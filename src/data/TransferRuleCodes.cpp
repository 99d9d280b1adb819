#include "data/TransferRuleCodes.h"

#include "data/StoredValues.h"

qint16 shownTransferType(const Variant& stored)
{
    return holdsCode(stored, TransferType::Release) ? TransferType::Release : TransferType::Supervised;
}
