// Times the opening of the help window (read, parse, show, laid out whole) on pages that are hard
// to lay out or name pictures of many pixels, against the opening on the program's own help page
// in the same run, with the window thread's CPU time. Each should open in well under a second:
// shown, or refused with its reason.
//   help_page_bench [RUNS]   (each page is opened RUNS times, 3 by default; the median is printed)
#include "Median.h"
#include "environment/frmDetails.h"
#include "widgets/QtUserPrompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

QImage noise(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, seed = seed * 1664525u + 1013904223u);
    return picture;
}

QImage plain(int width, int height)
{
    QImage picture(width, height, QImage::Format_Mono);
    picture.fill(0);
    return picture;
}

// One opening as the Help menu makes it, laid out whole as scrolling to the end would; in ms,
// and the window thread's CPU time in `cpuMs`.
double openingMs(const QString& folder, bool* shown, double* cpuMs)
{
    QtUserPrompts prompts;
    QElapsedTimer timer;
    const double cpuStart = threadCpuMs();
    timer.start();
    frmDetails help{ProgramFolder(folder), prompts};
    help.Form_Load();
    help.show();
    auto* browser = help.findChild<QTextBrowser*>(QStringLiteral("browserHelp"));
    browser->document()->size();
    QApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    *cpuMs = threadCpuMs() - cpuStart;
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
        QImage picture = {}; // written beside the page as "p.png"
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
        {"a 3000 x 3000 picture (26 KB) named 50 times", QByteArray("<img src=p.png>").repeated(50), plain(3000, 3000)},
        {"a 2048 x 2048 picture named 50 times", QByteArray("<img src=p.png>").repeated(50), plain(2048, 2048)},
        {"a 200 x 200 picture (160 KB) named 50 times", QByteArray("<img src=p.png>").repeated(50), noise(200, 200)},
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
        if (!page.picture.isNull() && !page.picture.save(folder.filePath(QStringLiteral("p.png")))) {
            std::fprintf(stderr, "cannot write the picture of %s\n", page.what);
            return 1;
        }
        std::vector<double> times;
        std::vector<double> cpuTimes;
        bool shown = false;
        for (int r = 0; r < runs; ++r) {
            double cpuMs = 0;
            times.push_back(openingMs(folder.path(), &shown, &cpuMs));
            cpuTimes.push_back(cpuMs);
        }
        const double ms = bench::median(times);
        if (reference == 0)
            reference = ms;
        std::printf("%-46s %9.1f ms %8.1fx %9.1f ms CPU  %s\n", page.what, ms, ms / reference, bench::median(cpuTimes),
                    shown ? "shown" : "refused");
    }
    return 0;
}
