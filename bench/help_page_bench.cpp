// Times the opening of the help window (read, parse, show, laid out whole) on pages that are hard
// to lay out, against the opening on the program's own help page in the same run. Each should
// open in well under a second: shown, or refused with its reason.
//   help_page_bench [RUNS]   (each page is opened RUNS times, 3 by default; the median is printed)
#include "Median.h"
#include "environment/frmDetails.h"
#include "widgets/QtUserPrompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr qsizetype kMiB = 1024 * 1024;
constexpr qsizetype kBound = 32 * 1024;

QByteArray repeated(const QByteArray& text, qsizetype size)
{
    return text.repeated(size / text.size() + 1).left(size);
}

// The same opening tag over and over, to the size.
QByteArray nested(const QByteArray& tag, qsizetype size)
{
    return tag.repeated(size / tag.size());
}

QByteArray nestedTables(int levels)
{
    return QByteArray("<table border=1><tr><td>").repeated(levels) + "x" + QByteArray("</td></tr></table>").repeated(levels);
}

// One opening as the Help menu makes it, laid out whole as scrolling to the end would; in ms.
double openingMs(const QString& folder, bool* shown)
{
    QtUserPrompts prompts;
    QElapsedTimer timer;
    timer.start();
    frmDetails help{ProgramFolder(folder), prompts};
    help.Form_Load();
    help.show();
    auto* browser = help.findChild<QTextBrowser*>(QStringLiteral("browserHelp"));
    browser->document()->size();
    QApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    *shown = !browser->toPlainText().startsWith(QStringLiteral("The help page is missing"));
    help.close();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    QFile own(ProgramFolder::fromEnvironment().file(frmDetails::helpPageName()));
    if (!own.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "the program's own help page is not beside the program: %s\n", qPrintable(own.fileName()));
        return 1;
    }
    const struct {
        const char* what;
        QByteArray html;
    } pages[] = {
        {"the program's own page (reference)", own.readAll()},
        {"1 MiB of one word", QByteArray(kMiB, 'x')},
        {"1 MiB of NULs", QByteArray(kMiB, '\0')},
        {"1 MiB of words", repeated("lorem ipsum dolor sit amet ", kMiB)},
        {"32 KiB of one word", QByteArray(kBound, 'x')},
        {"32 KiB of NULs", QByteArray(kBound, '\0')},
        {"32 KiB of words", repeated("lorem ipsum dolor sit amet ", kBound)},
        {"32 KiB: a word in a table cell", "<table><tr><td>" + QByteArray(kBound - 15, 'x')},
        {"32 KiB: <b> in <b>", nested("<b>", kBound)},
        {"32 KiB: <ul><li> in <ul><li>", nested("<ul><li>", kBound)},
        {"32 KiB: <div> in <div>", nested("<div>", kBound)},
        {"32 KiB: tables 4 deep, over and over", repeated(nestedTables(4), kBound)},
        {"32 KiB: tables 5 deep, over and over", repeated(nestedTables(5), kBound)},
        {"32 KiB: tables in tables", nested("<table><tr><td>", kBound)},
        {"32 KiB: a table of 2 columns", "<table>" + repeated("<tr><td>cell<td>cell</tr>", kBound - 7)},
        {"32 KiB: a table of 1 row", "<table><tr>" + repeated("<td>a", kBound - 11)},
    };
    std::printf("opening the help window, median of %d (the reference's ratio is 1)\n", runs);
    double reference = 0;
    for (const auto& page : pages) {
        QTemporaryDir folder;
        QFile file(folder.filePath(frmDetails::helpPageName()));
        if (!file.open(QIODevice::WriteOnly) || file.write(page.html) != page.html.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        file.close();
        std::vector<double> times;
        bool shown = false;
        for (int r = 0; r < runs; ++r)
            times.push_back(openingMs(folder.path(), &shown));
        const double ms = bench::median(times);
        if (reference == 0)
            reference = ms;
        std::printf("%-40s %9.1f ms %8.1fx  %s\n", page.what, ms, ms / reference, shown ? "shown" : "refused");
    }
    return 0;
}
