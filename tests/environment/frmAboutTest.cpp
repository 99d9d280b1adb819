#include "environment/frmAbout.h"

#include "environment/LanguageTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {

// The About box of a program at version 2.3.7 over a program folder with the given libraries,
// and another window of the program, loaded but not shown, with a control of its own.
struct AboutBox {
    explicit AboutBox(const QStringList& libraries = {})
        : folder(libraries),
          box(folder.languages, "2.3.7", folder.prompts)
    {
        otherLabel = new QLabel("Other", &otherWindow);
        box.Form_Load();
    }
    QList<QAction*> items() const { return box.findChild<QMenu*>("mnuSelectLanguage")->actions(); }
    QAction* item(int index) const { return box.findChild<QAction*>(QStringLiteral("mnuLanguageList_%1").arg(index)); }
    QStringList captions() const
    {
        QStringList texts;
        for (QAction* a : items())
            texts << a->text();
        return texts;
    }
    QString face() const { return otherLabel->font().family(); }

    LanguageFolder folder;
    frmAbout box;
    QWidget otherWindow;
    QLabel* otherLabel = nullptr;
};

TEST(frmAbout, ShowsTheProgramsVersionWithItsBuildNumber)
{
    AboutBox about;
    EXPECT_EQ(about.box.windowTitle(), "Treewright");
    EXPECT_EQ(about.box.findChild<QLabel*>("lblVersionTitle")->text(), "Version:");
    EXPECT_EQ(about.box.findChild<QLabel*>("lblVersion")->text(), " 2.3 Build 7");
}

TEST(frmAbout, WithoutLibrariesTheMenuSaysSoAndItsItemMakesUsEnglish)
{
    AboutBox about;
    EXPECT_EQ(about.captions(), QStringList{"No languages loaded"});
    EXPECT_EQ(about.item(0)->data().toString(), "1033");

    about.folder.languages.setCurrentLanguageLCID(1041);
    about.folder.add("brandingres_ENU.dll"); // the library of the code the platform gives for 1033
    about.item(0)->trigger();
    EXPECT_EQ(about.folder.languages.CurrentLanguageLCID(), 1033);
    EXPECT_EQ(about.folder.languages.loadedLibrary(), about.folder.dir.filePath("brandingres_ENU.dll"));
    EXPECT_EQ(about.face(), QApplication::font().family());
    EXPECT_EQ(about.captions(), QStringList{"No languages loaded"}) << "the menu is built only when the box loads";
    EXPECT_TRUE(about.folder.prompts.messages.isEmpty());
}

TEST(frmAbout, ChoosingALanguageGivesEveryLoadedWindowItsFace)
{
    AboutBox about({"brandingres_JPN.dll"});
    EXPECT_EQ(about.captions(), QStringList{"Japanese (Japan)"});
    EXPECT_EQ(about.item(0)->data().toString(), "1041");

    about.item(0)->trigger();
    EXPECT_EQ(about.folder.languages.CurrentLanguageLCID(), 1041);
    EXPECT_EQ(about.folder.languages.loadedLibrary(), about.folder.dir.filePath("brandingres_JPN.dll"));
    EXPECT_EQ(about.face(), kJapaneseFace);
    EXPECT_EQ(about.box.findChild<QPushButton*>("cmdOK")->font().family(), kJapaneseFace);
    EXPECT_EQ(about.box.cursor().shape(), Qt::ArrowCursor) << "the wait cursor goes again";

    // A window loaded after the choice keeps its own face.
    QWidget later;
    auto* laterLabel = new QLabel("Later", &later);
    EXPECT_NE(laterLabel->font().family(), kJapaneseFace);
}

TEST(frmAbout, SeveralLibrariesGiveOneItemEachAndAnUnknownCodeIsEnglish)
{
    AboutBox about({"brandingres_DEU.dll", "brandingres_deu.dll", "brandingres_SVE.dll"});
    EXPECT_EQ(about.captions(), QStringList({"German (Germany)", "English (United States)", "English (United States)"}));
    EXPECT_EQ(about.item(1)->data().toString(), "1033");
    EXPECT_EQ(about.item(2)->data().toString(), "1033");

    about.item(0)->trigger();
    EXPECT_EQ(about.folder.languages.CurrentLanguageLCID(), 1031);
    about.item(2)->trigger();
    EXPECT_EQ(about.folder.languages.CurrentLanguageLCID(), 1033);
}

TEST(frmAbout, TheChangeLanguageLinkPopsUpTheMenuAndOkOnlyHidesTheBox)
{
    AboutBox about({"brandingres_JPN.dll"});
    auto* menu = about.box.findChild<QMenu*>("mnuSelectLanguage");
    about.box.show();
    emit about.box.findChild<QLabel*>("lblChangeLanguage")->linkActivated("#language");
    EXPECT_TRUE(menu->isVisible());
    menu->hide();

    // OK ends the modal wait and keeps the box with its menu.
    QTimer::singleShot(0, &about.box, [&] { about.box.findChild<QPushButton*>("cmdOK")->click(); });
    about.box.exec();
    EXPECT_FALSE(about.box.isVisible());
    EXPECT_FALSE(about.box.closedByFrame());
    EXPECT_EQ(about.captions(), QStringList{"Japanese (Japan)"});
}

} // namespace
