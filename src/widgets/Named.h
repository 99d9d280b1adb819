#pragma once

#include <QString>

// Gives a new widget (or action) the system's name, so that code and tests find it by that name.
template <typename T>
T* named(T* object, const char* name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}
