#pragma once

#include <QString>

// Opens an address with the desktop's default handler for it: a web address in the default
// browser, a file URL of a folder in the file manager. The address is handed over as built, so
// that tests see its exact text.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when the desktop could not open it; nobody is told (the opener's own choice of
    // browser reports its failures itself).
    virtual bool openUrl(const QString& address) = 0;
};
