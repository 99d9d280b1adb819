#include "environment/frmDetails.h"

#include "fakes/ScriptedPrompts.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

// The text over and over, cut to the size.
QByteArray repeated(const QByteArray& text, qsizetype size)
{
    return text.repeated(size / text.size() + 1).left(size);
}

QByteArray nestedTables(int levels)
{
    return "<html><body>" + QByteArray("<table border=1><tr><td>").repeated(levels) + "inside"
           + QByteArray("</td></tr></table>").repeated(levels) + "</body></html>";
}

const QString kOneMiBTooLarge = "The file holds 1,048,576 bytes, more than the 32,768 a help page may have.";

struct HelpWindow {
    HelpWindow()
        : window(ProgramFolder(dir.path()), prompts)
    {
    }
    void writePage(const QByteArray& html) const
    {
        QFile page(dir.filePath("Treewright.htm"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write(html);
    }
    QTextBrowser* browser() const { return window.findChild<QTextBrowser*>("browserHelp"); }

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    frmDetails window;
};

TEST(frmDetails, ShowsTheHelpPageBesideTheProgram)
{
    HelpWindow help;
    help.writePage("<html><head><title>Treewright Help</title></head><body><h1>Using the tree</h1></body></html>");
    help.window.Form_Load();
    EXPECT_EQ(help.window.windowTitle(), "Treewright Help");
    EXPECT_EQ(help.browser()->documentTitle(), "Treewright Help");
    EXPECT_TRUE(help.browser()->toPlainText().contains("Using the tree"));
    EXPECT_TRUE(help.prompts.messages.isEmpty());
}

// A page it cannot show (a pipe would even hold the window in the open, a huge one in the layout):
// the window says where it looked and why, and opens and closes as ever.
TEST(frmDetails, WithoutAPageItCanShowTheWindowSaysWhereItLookedAndWhy)
{
    const struct {
        const char* what;
        std::function<void(const QString&)> make;
        QString reason;
    } cases[] = {
        {"no file", [](const QString&) {}, "There is no file of that name."},
        {"a folder", [](const QString& page) { QDir().mkdir(page); }, "That name is not a file."},
        {"a pipe", [](const QString& page) { ::mkfifo(QFile::encodeName(page).constData(), 0600); }, "That name is not a file."},
        {"50 MB",
         [](const QString& page) {
             QFile file(page);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("<html><body>");
             ASSERT_TRUE(file.resize(50 * 1024 * 1024));
         },
         "The file holds 52,428,800 bytes, more than the 32,768 a help page may have."},
        {"one byte too many", [](const QString& page) { writeFile(page, QByteArray(32 * 1024 + 1, ' ')); },
         "The file holds 32,769 bytes, more than the 32,768 a help page may have."},
        // Each of these would hold the window for minutes while it was laid out.
        {"1 MiB of one word", [](const QString& page) { writeFile(page, QByteArray(1024 * 1024, 'x')); }, kOneMiBTooLarge},
        {"1 MiB of NULs", [](const QString& page) { writeFile(page, QByteArray(1024 * 1024, '\0')); }, kOneMiBTooLarge},
        {"1 MiB of words", [](const QString& page) { writeFile(page, repeated("lorem ipsum dolor ", 1024 * 1024)); },
         kOneMiBTooLarge},
        {"tables 5 deep", [](const QString& page) { writeFile(page, nestedTables(5)); },
         "The page has tables within tables more than 4 deep, which the window cannot lay out quickly."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HelpWindow help;
        const QString page = help.dir.filePath("Treewright.htm");
        c.make(page);
        const QFileInfo before(page);
        help.window.Form_Load();
        EXPECT_EQ(help.browser()->toPlainText(), QStringLiteral("The help page is missing\n"
                                                                "Treewright looks for its help page in the file\n"
                                                                "%1\n%2\n"
                                                                "The file is placed there when the program is built or "
                                                                "installed. Build or install the program again to restore it.")
                                                     .arg(page, c.reason));
        help.window.show();
        help.window.close();
        EXPECT_FALSE(help.window.isVisible());
        EXPECT_TRUE(help.prompts.messages.isEmpty());
        const QFileInfo after(page);
        EXPECT_EQ(after.exists(), before.exists());
        EXPECT_EQ(after.size(), before.size());
        EXPECT_EQ(QDir(help.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(),
                  before.exists() ? 1 : 0);
    }
}

// Pages as costly to lay out as a page within the bound can be: each is shown, laid out whole.
TEST(frmDetails, APageWithinTheBoundIsShownHoweverItIsMadeUp)
{
    const struct {
        const char* what;
        QByteArray html;
        QString shows;
    } cases[] = {
        {"one word", QByteArray(32 * 1024, 'x'), QString(32 * 1024, 'x')},
        {"NULs", QByteArray(32 * 1024, '\0'), QString()},
        {"words", repeated("lorem ipsum dolor ", 32 * 1024), "lorem ipsum dolor"},
        {"a word in a table cell", "<table><tr><td>" + QByteArray(32 * 1024 - 15, 'x'), QString(32 * 1024 - 15, 'x')},
        {"tables 4 deep", nestedTables(4), "inside"},
        {"many tables 4 deep", repeated(nestedTables(4), 32 * 1024), "inside"},
        {"a large table", "<table>" + repeated("<tr><td>cell<td>cell</tr>", 32 * 1024 - 7), "cell"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HelpWindow help;
        ASSERT_LE(c.html.size(), 32 * 1024);
        help.writePage(c.html);
        help.window.Form_Load();
        help.window.show();
        EXPECT_GT(help.browser()->document()->size().height(), 0);
        const QString text = help.browser()->toPlainText();
        EXPECT_FALSE(text.startsWith("The help page is missing"));
        EXPECT_TRUE(text.contains(c.shows));
        help.window.close();
        EXPECT_TRUE(help.prompts.messages.isEmpty());
    }
}

// What the page names is read like the page, a regular file within the bound, and its links lead
// within the page only: no picture, style sheet or link can hold the window on a pipe.
TEST(frmDetails, NothingThePageNamesIsReadWholeOrWaitedOn)
{
    HelpWindow help;
    const QString pipe = help.dir.filePath("pipe");
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    writeFile(help.dir.filePath("large.png"), QByteArray(4 * 1024 * 1024, 'x'));
    help.writePage("<html><head><link rel=stylesheet href=pipe></head><body><img src=pipe><img src=large.png>"
                   "<p><a href=pipe>elsewhere</a></p>"
                   + QByteArray("<p>line</p>").repeated(300) + "<a name=end>end</a></body></html>");
    help.window.Form_Load();
    help.window.show();
    QApplication::processEvents();
    const QString text = help.browser()->toPlainText();
    EXPECT_TRUE(text.contains("elsewhere"));
    emit help.browser()->anchorClicked(QUrl::fromLocalFile(pipe));
    EXPECT_EQ(help.browser()->toPlainText(), text);
    EXPECT_EQ(help.browser()->verticalScrollBar()->value(), 0);
    emit help.browser()->anchorClicked(QUrl("#end"));
    EXPECT_GT(help.browser()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(help.prompts.messages.isEmpty());
}

// A picture is decoded only when its header gives a size within the bound, whatever its bytes: a
// small file may stand for a huge picture, and a picture of a fair size may be a larger file
// than a page. One left out is left out however often the page names it.
TEST(frmDetails, APictureIsShownWhenItsSizeIsWithinTheBoundWhateverItsBytes)
{
    HelpWindow help;
    QImage huge(3000, 3000, QImage::Format_Mono);
    huge.fill(0);
    ASSERT_TRUE(huge.save(help.dir.filePath("huge.png")));
    QImage noisy(160, 160, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, seed = seed * 1664525u + 1013904223u);
    ASSERT_TRUE(noisy.save(help.dir.filePath("noisy.png")));
    ASSERT_LT(QFileInfo(help.dir.filePath("huge.png")).size(), 32 * 1024);
    ASSERT_GT(QFileInfo(help.dir.filePath("noisy.png")).size(), 43 * 1000);
    help.writePage("<html><body>" + QByteArray("<img src=huge.png>").repeated(50) + "<img src=noisy.png></body></html>");
    help.window.Form_Load();
    help.window.show();
    QApplication::processEvents();

    QTextDocument* page = help.browser()->document();
    EXPECT_FALSE(page->resource(QTextDocument::ImageResource, QUrl("huge.png")).isValid());
    const QVariant shown = page->resource(QTextDocument::ImageResource, QUrl("noisy.png"));
    ASSERT_EQ(shown.typeId(), QMetaType::QImage);
    EXPECT_EQ(shown.value<QImage>(), noisy);
    EXPECT_TRUE(help.prompts.messages.isEmpty());
}

TEST(frmDetails, TheWindowKeepsItsSmallestSizeAndTheBrowserFillsItLessTheMargins)
{
    HelpWindow help;
    help.window.show();
    for (const QSize size : {QSize(20, 20), QSize(900, 700)}) {
        help.window.resize(size);
        QApplication::processEvents();
        const double width = help.window.outerWidthTwips();
        const double height = help.window.outerHeightTwips();
        EXPECT_GE(width, 2500 - 15);
        EXPECT_GE(height, 2400 - 15);
        const QRect placed = Twips::toPixels(100, 1, width - 200, height - 400, &help.window);
        EXPECT_EQ(help.browser()->geometry(), placed) << size.width();
    }
}

TEST(frmDetails, TheProgramsOwnHelpPageReads)
{
    HelpWindow help;
    QFile page(TW_HELP_PAGE);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    help.writePage(page.readAll());
    help.window.Form_Load();
    EXPECT_EQ(help.browser()->documentTitle(), "Treewright Help");
    const QString text = help.browser()->toPlainText();
    for (const char* heading : {"The tree", "The property pane", "Changing where a link leads", "The change log"})
        EXPECT_TRUE(text.contains(heading)) << heading;
    // Its table of contents leads within the page.
    help.window.show();
    help.browser()->setSource(QUrl("#changelog"));
    EXPECT_GT(help.browser()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(help.browser()->toPlainText(), text);
}

} // namespace
