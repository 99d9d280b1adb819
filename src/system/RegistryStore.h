#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <set>

// The registry types a value can be stored with, numbered as the registry numbers them.
enum class RegistryValueType { Text = 1, Binary = 3, DWord = 4 };

struct RegistryValue {
    RegistryValueType type = RegistryValueType::Text;
    QString text;      // Text
    QByteArray bytes;  // Binary
    quint32 dword = 0; // DWord
};

// Read-only view of the machine's registry, loaded from a registry export file
// (the server root's registry.reg). Keys are full paths with their hive
// ("HKEY_LOCAL_MACHINE\Software\..."); key paths and value names compare without regard to case,
// as the registry does, and a trailing backslash on a key path is ignored. The default value of a
// key ("@" in the file) has the empty name.
//
// Lines the parser cannot read are skipped and the rest of the file is still read; values that
// follow an unreadable key line are skipped with it, so that they never land in the key before.
// Value forms other than text, dword and hex (e.g. hex(2):, or deletions) are skipped as well.
//
// Time and memory grow in step with the file's size, whatever its shape (one very deep key, one
// very long value).
class RegistryStore {
public:
    // A machine's export is some kilobytes; anything near this is not one.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    RegistryStore() = default;

    // A missing or unreadable file gives an empty store: every key is missing. So does anything that
    // is not a regular file (a pipe is never waited on, a device never read) or is larger than
    // MaxFileSize.
    static RegistryStore load(const QString& filePath);
    // Accepts UTF-8 (with or without a byte-order mark) and UTF-16LE with its byte-order mark,
    // the form the registry editor exports.
    static RegistryStore parse(const QByteArray& fileContents);

    // A key exists when the file names it or any key below it.
    bool hasKey(const QString& keyPath) const;
    std::optional<RegistryValue> value(const QString& keyPath, const QString& valueName) const;

private:
    // The keys the file names, normalized; in order, so that the keys below a path are found
    // without keeping every parent path as a text of its own.
    std::set<QString> m_keys;
    QHash<QString, QHash<QString, RegistryValue>> m_values; // normalized path -> folded name -> value
};
