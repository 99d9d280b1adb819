#include "data/RegistryAPI.h"

#include "runtime/RuntimeError.h"
#include "system/RegistryStore.h"

namespace {

// The buffers the values are read into; data that does not fit cannot be read.
constexpr qsizetype TextBufferChars = 1024;
constexpr qsizetype BinaryBufferBytes = 4096;

QString hiveName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    }
    return {};
}

QString fullKeyPath(RegistryRoot root, const QString& subkey)
{
    const QString hive = hiveName(root);
    return subkey.isEmpty() ? hive : hive + QLatin1Char('\\') + subkey;
}

} // namespace

bool RegKeyExists(const RegistryStore& registry, RegistryRoot root, const QString& subkey)
{
    return registry.hasKey(fullKeyPath(root, subkey));
}

Variant QueryRegistryValue(const RegistryStore& registry, RegistryRoot root, const QString& subkey, const QString& valueName,
                           int valueType, const Variant& defaultValue)
{
    const QString path = fullKeyPath(root, subkey);
    if (!registry.hasKey(path))
        return defaultValue;

    const std::optional<RegistryValue> value = registry.value(path, valueName);
    switch (valueType) {
    case RegistryType::Text:
        // The stored length counts the terminating NUL, so it must fit the buffer too. Every text
        // we hold has at least that NUL; a text stored with no data at all would read as "" here
        // rather than fail.
        if (!value || value->type != RegistryValueType::Text || value->text.size() + 1 > TextBufferChars)
            return defaultValue;
        return Variant(value->text);
    case RegistryType::Binary:
        if (!value || value->type != RegistryValueType::Binary || value->bytes.size() > BinaryBufferBytes)
            return defaultValue;
        return Variant(value->bytes);
    case RegistryType::DWord:
        if (!value || value->type != RegistryValueType::DWord)
            return defaultValue;
        return Variant(static_cast<qint32>(value->dword));
    default:
        throwError(ErrorNumber::UnsupportedValueType, QStringLiteral("Unsupported value type"));
    }
}
