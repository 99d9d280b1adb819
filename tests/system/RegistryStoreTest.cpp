#include "system/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>

namespace {

const QString Sorvic = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic\\1.0");

QString textOf(const RegistryStore& store, const QString& key, const QString& name)
{
    const auto v = store.value(key, name);
    if (!v || v->type != RegistryValueType::Text)
        return QStringLiteral("<no text>");
    return v->text;
}

} // namespace

TEST(RegistryStore, ReadsAnExportWithEveryValueForm)
{
    const QByteArray file = "Windows Registry Editor Version 5.00\r\n"
                            "\r\n"
                            "; written by setup\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic\\1.0]\r\n"
                            "\"Root Path\"=\"C:\\\\Talvo\\\\\"\r\n"
                            "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
                            "\"Empty\"=\"\"\r\n"
                            "@=\"the default\"\r\n"
                            "\"Count\"=dword:0004abcd\r\n"
                            "\"Blob\"=hex:01,02,ff,\\\r\n"
                            "  0a,0B,\\\r\n"
                            "  00\r\n"
                            "\"NoBytes\"=hex:\r\n"
                            "\"Count\"=dword:00000007\r\n";
    const RegistryStore store = RegistryStore::parse(file);

    EXPECT_EQ(textOf(store, Sorvic, "Root Path"), QStringLiteral("C:\\Talvo\\"));
    EXPECT_EQ(textOf(store, Sorvic, "Quoted"), QStringLiteral("say \"hi\""));
    EXPECT_EQ(textOf(store, Sorvic, "Empty"), QString());
    EXPECT_EQ(textOf(store, Sorvic, ""), QStringLiteral("the default"));

    const auto count = store.value(Sorvic, "Count");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->type, RegistryValueType::DWord);
    EXPECT_EQ(count->dword, 7u); // the later of two values with one name wins

    const auto blob = store.value(Sorvic, "Blob");
    ASSERT_TRUE(blob);
    EXPECT_EQ(blob->type, RegistryValueType::Binary);
    EXPECT_EQ(blob->bytes, QByteArray("\x01\x02\xff\x0a\x0b\x00", 6));

    const auto noBytes = store.value(Sorvic, "NoBytes");
    ASSERT_TRUE(noBytes);
    EXPECT_EQ(noBytes->type, RegistryValueType::Binary);
    EXPECT_TRUE(noBytes->bytes.isEmpty());
}

TEST(RegistryStore, KeysAndNamesCompareAsTheRegistryDoes)
{
    const RegistryStore store = RegistryStore::parse("REGEDIT4\n"
                                                     "[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic Setup\\1.0\\Properties\\]\n"
                                                     "\"TUILanguageDefault\"=\"ENU\"\n");
    const QString key = QStringLiteral("hkey_local_machine\\SOFTWARE\\halvane\\sorvic setup\\1.0\\properties");

    EXPECT_TRUE(store.hasKey(key));
    EXPECT_TRUE(store.hasKey(key + "\\"));
    EXPECT_EQ(textOf(store, key + "\\", "tuilanguagedefault"), QStringLiteral("ENU"));
    // A key cannot exist without its parents, even when the file lists only the leaf.
    EXPECT_TRUE(store.hasKey("HKEY_LOCAL_MACHINE\\Software\\Halvane"));
    EXPECT_TRUE(store.hasKey("HKEY_LOCAL_MACHINE"));
    EXPECT_FALSE(store.hasKey("HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic"));
    EXPECT_FALSE(store.hasKey("HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic Setup\\1.0\\Properties\\More"));
    EXPECT_FALSE(store.hasKey("HKEY_LOCAL_MACHINE\\\\Software\\Halvane"));
    EXPECT_FALSE(store.value(key, "Missing"));
}

TEST(RegistryStore, SkipsBrokenLinesAndReadsTheRest)
{
    const RegistryStore store = RegistryStore::parse("\"BeforeAnyKey\"=\"x\"\n"
                                                     "[HKEY_LOCAL_MACHINE\\Software\\A]\n"
                                                     "\"Good1\"=\"one\"\n"
                                                     "\"Unterminated\"=\"abc\n"
                                                     "\"UnescapedPath\"=\"C:\\Talvo\\\"\n"
                                                     "\"Trailing\"=\"abc\" junk\n"
                                                     "\"NameOnly\"\n"
                                                     "NoQuotes=\"x\"\n"
                                                     "\"TooLong\"=dword:000000001\n"
                                                     "\"NotHex\"=dword:0004xyz0\n"
                                                     "\"NoDigits\"=dword:\n"
                                                     "\"BadByte\"=hex:01,zz\n"
                                                     "\"Expand\"=hex(2):43,00,3a,00,\\\n"
                                                     "  5c,00,00,00\n"
                                                     "\"Deleted\"=-\n"
                                                     "\"Cut\"=hex:01,02,\\\n"
                                                     "[HKEY_LOCAL_MACHINE\\Software\\B]\n"
                                                     "\"Good2\"=dword:00000002\n"
                                                     "[HKEY_LOCAL_MACHINE\\Software\\C\n"
                                                     "\"Orphan1\"=\"must not land in B\"\n"
                                                     "[-HKEY_LOCAL_MACHINE\\Software\\D]\n"
                                                     "\"Orphan2\"=\"x\"\n"
                                                     "[HKEY_LOCAL_MACHINE\\Software\\\\E]\n"
                                                     "\"Orphan3\"=\"x\"\n"
                                                     "[]\n"
                                                     "[HKEY_LOCAL_MACHINE\\Software\\A]\n"
                                                     "\"Good3\"=hex:05\n");

    const QString a = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\A");
    const QString b = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\B");
    EXPECT_EQ(textOf(store, a, "Good1"), QStringLiteral("one"));
    ASSERT_TRUE(store.value(b, "Good2"));
    EXPECT_EQ(store.value(b, "Good2")->dword, 2u);
    ASSERT_TRUE(store.value(a, "Good3")); // a key named again gathers more values
    EXPECT_EQ(store.value(a, "Good3")->bytes, QByteArray("\x05"));

    for (const char* name : {"Unterminated", "UnescapedPath", "Trailing", "NameOnly", "NoQuotes", "TooLong", "NotHex", "NoDigits",
                             "BadByte", "Expand", "Deleted", "Cut"})
        EXPECT_FALSE(store.value(a, name)) << name;
    for (const char* name : {"Orphan1", "Orphan2", "Orphan3"})
        EXPECT_FALSE(store.value(b, name)) << name;
    EXPECT_FALSE(store.hasKey("HKEY_LOCAL_MACHINE\\Software\\C"));
    EXPECT_FALSE(store.hasKey("HKEY_LOCAL_MACHINE\\Software\\D"));
    EXPECT_FALSE(store.hasKey("HKEY_LOCAL_MACHINE\\Software\\E"));
}

TEST(RegistryStore, LoadsFromFileAndTreatsAMissingOneAsEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    EXPECT_FALSE(RegistryStore::load(dir.filePath("registry.reg")).hasKey("HKEY_LOCAL_MACHINE"));
    EXPECT_FALSE(RegistryStore::load(dir.path()).hasKey("HKEY_LOCAL_MACHINE"));

    // The registry editor exports UTF-16 with a byte-order mark.
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Sorvic\\1.0]\r\n"
                                        "\"Root Path\"=\"D:\\\\Serveur Télé\\\\\"\r\n");
    QStringEncoder toUtf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QFile file(dir.filePath("registry.reg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(toUtf16(text));
    file.close();

    const RegistryStore store = RegistryStore::load(file.fileName());
    EXPECT_EQ(textOf(store, Sorvic, "Root Path"), QStringLiteral("D:\\Serveur Télé\\"));
}

TEST(RegistryStore, AVeryDeepKeyAndVeryLongValuesAreReadWhole)
{
    QByteArray deep = "HKEY_LOCAL_MACHINE";
    for (int level = 0; level < 5000; ++level)
        deep += "\\K" + QByteArray::number(level);
    QByteArray longLine = "\"OneLine\"=hex:";
    QByteArray continued = "\"Continued\"=hex:";
    QByteArray expected;
    for (int i = 0; i < 300000; ++i) {
        const QByteArray byte = QByteArray::number(i % 256, 16);
        expected.append(char(i % 256));
        longLine += (i ? "," : "") + byte;
        continued += byte + (i + 1 < 300000 ? (i % 25 == 24 ? ",\\\r\n  " : ",") : "");
    }
    const RegistryStore store = RegistryStore::parse("Windows Registry Editor Version 5.00\r\n[" + deep + "]\r\n" + longLine
                                                     + "\r\n" + continued + "\r\n\"Text\"=\"" + QByteArray(200000, 'x') + "\"\r\n"
                                                     + "[HKEY_LOCAL_MACHINE\\S\\Key]\r\n[HKEY_LOCAL_MACHINE\\S\\Key!x]\r\n"
                                                     + "[HKEY_LOCAL_MACHINE\\S\\Key2\\Sub]\r\n");

    const QString deepKey = QString::fromLatin1(deep);
    EXPECT_TRUE(store.hasKey(deepKey));
    EXPECT_TRUE(store.hasKey(deepKey.left(deepKey.indexOf(QStringLiteral("\\K2500\\")) + 6)));
    EXPECT_FALSE(store.hasKey(deepKey.left(deepKey.indexOf(QStringLiteral("\\K2500\\")) + 5)));
    EXPECT_FALSE(store.hasKey(deepKey + "\\K5000"));
    for (const char* name : {"OneLine", "Continued"}) {
        const auto value = store.value(deepKey, name);
        ASSERT_TRUE(value) << name;
        EXPECT_EQ(value->bytes, expected) << name;
    }
    EXPECT_EQ(textOf(store, deepKey, "Text"), QString(200000, QLatin1Char('x')));

    // Parents of named keys exist; keys that merely begin alike do not.
    for (const char* key : {"HKEY_LOCAL_MACHINE\\S", "HKEY_LOCAL_MACHINE\\S\\Key", "HKEY_LOCAL_MACHINE\\S\\Key!x",
                            "HKEY_LOCAL_MACHINE\\s\\KEY2", "HKEY_LOCAL_MACHINE\\S\\Key2\\Sub\\"})
        EXPECT_TRUE(store.hasKey(key)) << key;
    for (const char* key : {"HKEY_LOCAL_MACHINE\\S\\Ke", "HKEY_LOCAL_MACHINE\\S\\Key!", "HKEY_LOCAL_MACHINE\\S\\Key2\\Su",
                            "HKEY_LOCAL_MACHINE\\S\\Key3", "", "\\"})
        EXPECT_FALSE(store.hasKey(key)) << key;
}

TEST(RegistryStore, LoadsOnlyARegularFileOfBoundedSize)
{
    QTemporaryDir dir;
    const QByteArray key = "[HKEY_LOCAL_MACHINE\\Software\\Halvane]\r\n";
    const auto writeSized = [&](const QString& name, qint64 size) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(key);
        file.write(QByteArray(size - key.size(), '\n'));
    };
    writeSized("largest.reg", RegistryStore::MaxFileSize);
    writeSized("too-large.reg", RegistryStore::MaxFileSize + 1);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.reg")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero.reg")));

    const std::pair<const char*, bool> cases[] = {
        {"largest.reg", true},
        {"too-large.reg", false},
        {"pipe.reg", false}, // nobody writes: an ordinary open would wait for ever
        {"zero.reg", false}, // an endless device
    };
    for (const auto& [name, read] : cases)
        EXPECT_EQ(RegistryStore::load(dir.filePath(name)).hasKey("HKEY_LOCAL_MACHINE\\Software\\Halvane"), read) << name;
}
