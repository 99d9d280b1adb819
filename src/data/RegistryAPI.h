#pragma once

#include "runtime/Variant.h"

#include <QString>

class RegistryStore;

// The root keys the program opens; it reads nothing outside the machine's own hive.
enum class RegistryRoot { LocalMachine };
inline constexpr RegistryRoot HKEY_LOCAL_MACHINE = RegistryRoot::LocalMachine;

// Value types as the registry numbers them.
namespace RegistryType {
constexpr int Text = 1;
constexpr int Binary = 3;
constexpr int DWord = 4;
} // namespace RegistryType

// True when the key can be opened for reading.
bool RegKeyExists(const RegistryStore& registry, RegistryRoot root, const QString& subkey);

// The value's data (text, byte array or 32-bit signed integer), or defaultValue when the key
// cannot be opened or the value cannot be read. A value stored with another type than the one
// asked for cannot be read. An unsupported valueType on a key that opens raises 1001
// "Unsupported value type".
Variant QueryRegistryValue(const RegistryStore& registry, RegistryRoot root, const QString& subkey, const QString& valueName,
                           int valueType, const Variant& defaultValue);
