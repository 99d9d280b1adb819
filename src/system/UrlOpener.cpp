#include "system/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopUrlOpener::openUrl(const QString& address)
{
    return QDesktopServices::openUrl(QUrl(address));
}
