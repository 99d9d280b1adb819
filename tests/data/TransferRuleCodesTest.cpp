#include "data/TransferRuleCodes.h"

#include <gtest/gtest.h>

namespace {

TEST(TransferRuleCodesTest, OnlyAStoredZeroShowsAsReleaseAndAnyOtherTypeAsSupervised)
{
    const struct {
        Variant stored;
        qint16 shown;
    } cases[] = {
        {0, TransferType::Release},      {0.0, TransferType::Release},
        {"0", TransferType::Release},    {1, TransferType::Supervised},
        {5, TransferType::Supervised},   {-1, TransferType::Supervised},
        {"1", TransferType::Supervised}, {Variant::null(), TransferType::Supervised},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownTransferType(c.stored), c.shown) << c.stored.textOrEmpty().toStdString();
}

} // namespace
