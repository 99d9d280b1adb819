#include "environment/UpdatePage.h"

#include <QtGlobal>

QString updatePageAddressFromEnvironment()
{
    const QString address = qEnvironmentVariable(kUpdatePageVariable).trimmed();
    return address.isEmpty() ? kUpdatePageAddress : address;
}
