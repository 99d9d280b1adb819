#include "environment/LanguageCodes.h"
#include "environment/LanguageTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace {

TEST(LanguageLibraries, LibrariesBesideTheProgramAreListedByTheirCodesWhateverTheirCase)
{
    struct Case {
        const char* what;
        QStringList files;
        QStringList codes;
    };
    const Case cases[] = {
        {"none", {"Treewright.htm", "brandingres.dll"}, {""}},
        {"one", {"brandingres_JPN.dll"}, {"JPN"}},
        // In the listing's order; the codes keep their case, any extension counts.
        {"several",
         {"brandingres_DEU.dll", "BRANDINGRES_jpn.DLL", "BrandingRes_FRA.txt", "brandingres.dll", "brandingres_XY"},
         {"jpn", "FRA", "DEU", "XY"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LanguageFolder folder(c.files);
        EXPECT_TRUE(folder.languages.AvailableLanguageCodes().isEmpty()) << "nothing is listed before the first call";
        folder.languages.InitalizeLanguages();
        EXPECT_EQ(folder.languages.AvailableLanguageCodes(), c.codes);
        EXPECT_TRUE(folder.prompts.messages.isEmpty());
    }
}

TEST(LanguageLibraries, TheFirstCallTakesTheUsersLanguageAndHoldsItsLibraryUntilTheNextCall)
{
    LanguageFolder folder({"brandingres_DEU.dll", "BrandingRes_jpn.dll"}, 1031);
    EXPECT_EQ(folder.languages.CurrentLanguageLCID(), 0);
    folder.languages.InitalizeLanguages();
    EXPECT_EQ(folder.languages.CurrentLanguageLCID(), 1031);
    EXPECT_EQ(folder.languages.loadedLibrary(), folder.dir.filePath("brandingres_DEU.dll"));

    // A chosen language stays chosen; its library, found whatever the case of its name, replaces
    // the first, and the list is made anew.
    folder.userLanguage = 1033;
    folder.languages.setCurrentLanguageLCID(1041);
    QFile::remove(folder.dir.filePath("brandingres_DEU.dll"));
    folder.languages.InitalizeLanguages();
    EXPECT_EQ(folder.languages.CurrentLanguageLCID(), 1041);
    EXPECT_EQ(folder.languages.loadedLibrary(), folder.dir.filePath("BrandingRes_jpn.dll"));
    EXPECT_EQ(folder.languages.AvailableLanguageCodes(), QStringList{"jpn"});

    // A language without a library holds none; an LCID the platform does not know looks for "ERR".
    folder.languages.setCurrentLanguageLCID(1036);
    folder.languages.InitalizeLanguages();
    EXPECT_TRUE(folder.languages.loadedLibrary().isEmpty());
    folder.add("brandingres_ERR.dll");
    folder.languages.setCurrentLanguageLCID(4242);
    folder.languages.InitalizeLanguages();
    EXPECT_EQ(folder.languages.loadedLibrary(), folder.dir.filePath("brandingres_ERR.dll"));
    EXPECT_TRUE(folder.prompts.messages.isEmpty());
}

TEST(LanguageLibraries, TheUsersLocaleGivesTheirLanguagesLcid)
{
    const std::pair<QLocale, qint32> cases[] = {
        {QLocale(QLocale::German, QLocale::Switzerland), 2055},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), 2057},
        {QLocale(QLocale::German, QLocale::Belgium), 1031}, // the language's first, where its territory has none
        {QLocale::c(), 1033},                               // no language at all
    };
    for (const auto& [locale, lcid] : cases)
        EXPECT_EQ(LanguageCodes::lcidOfLocale(locale), lcid) << locale.name().toStdString();
}

TEST(LanguageLibraries, AProgramFolderThatCannotBeListedIsReportedAndLeavesNoLanguages)
{
    LanguageFolder folder({"brandingres_JPN.dll"});
    folder.languages.InitalizeLanguages();
    ASSERT_TRUE(folder.dir.remove());
    folder.languages.InitalizeLanguages();
    EXPECT_EQ(folder.prompts.messages, QStringList{"Error in InitalizeLanguages: Path not found"});
    EXPECT_EQ(folder.languages.AvailableLanguageCodes(), QStringList{""});
    EXPECT_EQ(folder.languages.CurrentLanguageLCID(), 1033);
}

TEST(LanguageLibraries, TheCurrentLanguagesFaceGoesToEveryControlButNotToAWindowInside)
{
    LanguageFolder folder;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel("Name", &window);
    auto* edit = new QLineEdit(&window);
    layout->addWidget(label);
    layout->addWidget(edit);
    QDialog inner(&window);
    auto* innerLabel = new QLabel("Inner", &inner);

    const struct {
        qint32 lcid;
        QString face;
    } cases[] = {
        {1041, kJapaneseFace},
        {1028, QString::fromUtf8("新細明體")},
        {1042, QString::fromUtf8("굴림")},
        {2052, QString::fromUtf8("宋体")},
        // Any other language takes the program's own face again.
        {1033, QApplication::font().family()},
        {33801, QApplication::font().family()},
    };
    for (const auto& c : cases) {
        folder.languages.setCurrentLanguageLCID(c.lcid);
        folder.languages.ApplyLanguageFonts(&window);
        EXPECT_EQ(label->font().family(), c.face) << c.lcid;
        EXPECT_EQ(edit->font().family(), c.face) << c.lcid;
        EXPECT_NE(innerLabel->font().family(), kJapaneseFace) << "a window inside has its own turn";
    }
}

} // namespace
