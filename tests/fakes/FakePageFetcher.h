#pragma once

#include "system/PageFetcher.h"

#include <QStringList>
#include <functional>

// Serves one fixed page to every address and records the addresses asked for.
class FakePageFetcher : public PageFetcher {
public:
    QByteArray fetch(const QString& address) override
    {
        asked << address;
        if (whileFetching)
            whileFetching();
        return page;
    }
    QByteArray page;
    QStringList asked;
    std::function<void()> whileFetching; // runs where the real fetch would wait
};
