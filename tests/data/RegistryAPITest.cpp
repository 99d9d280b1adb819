#include "data/RegistryAPI.h"

#include "runtime/RuntimeError.h"
#include "system/RegistryStore.h"

#include <gtest/gtest.h>

namespace {

const QString Key = QStringLiteral("Software\\Halvane\\Sorvic\\1.0\\");

RegistryStore sampleRegistry()
{
    QByteArray file = "[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic\\1.0]\n"
                      "\"Root Path\"=\"C:\\\\Talvo\\\\\"\n"
                      "\"Empty\"=\"\"\n"
                      "@=\"default value\"\n"
                      "\"Count\"=dword:ffffffff\n"
                      "\"Small\"=dword:0000002a\n"
                      "\"Blob\"=hex:de,ad\n";
    file += "\"Text1023\"=\"" + QByteArray(1023, 'x') + "\"\n";
    file += "\"Text1024\"=\"" + QByteArray(1024, 'x') + "\"\n";
    const auto hexBytes = [](int n) {
        QByteArray list;
        for (int i = 0; i < n; ++i)
            list += i ? ",00" : "00";
        return list;
    };
    file += "\"Bin4096\"=hex:" + hexBytes(4096) + "\n";
    file += "\"Bin4097\"=hex:" + hexBytes(4097) + "\n";
    file += "[HKEY_LOCAL_MACHINE\\Software\\Halvane\\QLM\\1.0\\initialization\\integrations\\integration1]\n";
    return RegistryStore::parse(file);
}

} // namespace

TEST(RegistryAPI, RegKeyExists)
{
    const RegistryStore registry = sampleRegistry();
    EXPECT_TRUE(RegKeyExists(registry, HKEY_LOCAL_MACHINE, Key));
    EXPECT_TRUE(RegKeyExists(registry, HKEY_LOCAL_MACHINE, "software\\halvane"));
    EXPECT_TRUE(
        RegKeyExists(registry, HKEY_LOCAL_MACHINE, "Software\\Halvane\\QLM\\1.0\\initialization\\integrations\\integration1"));
    EXPECT_FALSE(
        RegKeyExists(registry, HKEY_LOCAL_MACHINE, "Software\\Halvane\\QLM\\1.0\\initialization\\integrations\\integration2"));
    EXPECT_FALSE(RegKeyExists(RegistryStore(), HKEY_LOCAL_MACHINE, Key));
}

TEST(RegistryAPI, QueryRegistryValueReadsOrLeavesTheDefault)
{
    const RegistryStore registry = sampleRegistry();
    const Variant dflt("unchanged");
    struct Case {
        const char* subkey;
        const char* name;
        int type;
        Variant expected;
    };
    const Case cases[] = {
        {"Software\\Halvane\\Sorvic\\1.0\\", "Root Path", 1, Variant("C:\\Talvo\\")},
        {"SOFTWARE\\HALVANE\\SORVIC\\1.0", "root path", 1, Variant("C:\\Talvo\\")},
        {"Software\\Halvane\\Sorvic\\1.0", "Empty", 1, Variant(QString(""))},
        {"Software\\Halvane\\Sorvic\\1.0", "", 1, Variant("default value")},
        {"Software\\Halvane\\Sorvic\\1.0", "Text1023", 1, Variant(QString(1023, 'x'))},
        {"Software\\Halvane\\Sorvic\\1.0", "Text1024", 1, dflt}, // with its NUL it overflows 1024
        {"Software\\Halvane\\Sorvic\\1.0", "Count", 4, Variant(-1)},
        {"Software\\Halvane\\Sorvic\\1.0", "Small", 4, Variant(42)},
        {"Software\\Halvane\\Sorvic\\1.0", "Blob", 3, Variant(QByteArray("\xde\xad"))},
        {"Software\\Halvane\\Sorvic\\1.0", "Bin4096", 3, Variant(QByteArray(4096, '\0'))},
        {"Software\\Halvane\\Sorvic\\1.0", "Bin4097", 3, dflt},
        // stored with another type than asked
        {"Software\\Halvane\\Sorvic\\1.0", "Root Path", 4, dflt},
        {"Software\\Halvane\\Sorvic\\1.0", "Small", 1, dflt},
        {"Software\\Halvane\\Sorvic\\1.0", "Blob", 1, dflt},
        {"Software\\Halvane\\Sorvic\\1.0", "Small", 3, dflt},
        // missing value, missing key
        {"Software\\Halvane\\Sorvic\\1.0", "Nothing", 1, dflt},
        {"Software\\Halvane\\Sorvic\\2.0", "Root Path", 1, dflt},
        {"Software\\Halvane\\Sorvic\\2.0", "Root Path", 2, dflt}, // the key is opened before the type is looked at
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QueryRegistryValue(registry, HKEY_LOCAL_MACHINE, c.subkey, c.name, c.type, dflt), c.expected)
            << c.subkey << " / " << c.name << " / type " << c.type;
    }

    // The callers' empty default comes back as it went in.
    EXPECT_TRUE(QueryRegistryValue(registry, HKEY_LOCAL_MACHINE, Key, "Nothing", 1, Variant()).isEmpty());
}

TEST(RegistryAPI, UnsupportedValueTypeRaises1001)
{
    const RegistryStore registry = sampleRegistry();
    for (int type : {0, 2, 5, 7, 11}) {
        try {
            QueryRegistryValue(registry, HKEY_LOCAL_MACHINE, Key, "Root Path", type, Variant());
            ADD_FAILURE() << "no error for type " << type;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 1001);
            EXPECT_EQ(e.description(), QStringLiteral("Unsupported value type"));
        }
    }
}
