#pragma once

#include "system/UrlOpener.h"

#include <QStringList>

// Records the addresses the program would have opened in the browser.
class FakeUrlOpener : public UrlOpener {
public:
    bool openUrl(const QString& address) override
    {
        opened << address;
        return true;
    }
    QStringList opened;
};
