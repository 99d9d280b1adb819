#pragma once

#include <QString>

// Opening a web address in the user's default browser, behind an interface so that tests see
// what would have been opened.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when the desktop refused the address; callers that pass over failures ignore it.
    virtual bool openUrl(const QString& address) = 0;
};

class DesktopUrlOpener : public UrlOpener {
public:
    bool openUrl(const QString& address) override;
};
