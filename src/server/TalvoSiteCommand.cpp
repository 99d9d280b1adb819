#include "runtime/RuntimeError.h"
#include "server/SiteWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>
#include <utility>

namespace {

const char* const kHelp = "Usage: talvo-site DIR\n"
                          "       talvo-site --large [SIZE OPTIONS] DIR\n"
                          "\n"
                          "Writes a stand-in Talvo server root into DIR, which must be a new or an empty folder:\n"
                          "registry.reg (the registry values the program reads), state (32: running),\n"
                          "TalvoDb.sqlite3 (the configuration database) and \"Stream Files/\" (greeting recordings).\n"
                          "Point the program at it with TALVO_ROOT=DIR.\n"
                          "\n"
                          "Without --large it writes the demo site: a small company's auto attendant with an opening\n"
                          "greeting, operator, sales and support menus, ten subscribers, an interview handler, a\n"
                          "directory handler, distribution lists, schedules and classes of service.\n"
                          "\n"
                          "--large writes a large site for benchmarks. Its greetings and questions share seven\n"
                          "sound files instead of one file each. It always holds the opening greeting and the\n"
                          "interview and directory handler templates. Sizes (defaults in brackets):\n"
                          "  --subscribers N          [20000]\n"
                          "  --call-handlers N        [5000]  besides the subscribers' own handlers\n"
                          "  --interview-handlers N   [200]\n"
                          "  --directory-handlers N   [50]\n"
                          "  --distribution-lists N   [500]\n"
                          "\n"
                          "  --help                   shows this text\n"
                          "\n"
                          "Exit codes: 0 written, 1 the folder was refused or could not be written, 2 bad arguments.\n";

} // namespace

int runTalvoSite(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    bool large = false;
    LargeSiteSizes sizes;
    QString dir;
    const std::pair<const char*, int*> sizeOptions[] = {
        {"--subscribers", &sizes.subscribers},
        {"--call-handlers", &sizes.callHandlers},
        {"--interview-handlers", &sizes.interviewHandlers},
        {"--directory-handlers", &sizes.directoryHandlers},
        {"--distribution-lists", &sizes.distributionLists},
    };
    const auto usageError = [&](const QString& message) {
        err << "talvo-site: " << message << "\nTry talvo-site --help.\n";
        err.flush();
        return 2;
    };

    bool sizeGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << kHelp;
            out.flush();
            return 0;
        }
        if (arg == QLatin1String("--large")) {
            large = true;
            continue;
        }
        int* size = nullptr;
        for (const auto& [name, target] : sizeOptions)
            if (arg == QLatin1String(name))
                size = target;
        if (size) {
            bool ok = false;
            const int value = i + 1 < arguments.size() ? arguments[i + 1].toInt(&ok) : 0;
            if (!ok || value < 0)
                return usageError(QStringLiteral("%1 needs a number of 0 or more.").arg(arg));
            *size = value;
            sizeGiven = true;
            ++i;
            continue;
        }
        if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            return usageError(QStringLiteral("unknown option %1.").arg(arg));
        if (!dir.isEmpty())
            return usageError(QStringLiteral("give one folder only."));
        dir = arg;
    }
    if (dir.isEmpty())
        return usageError(QStringLiteral("give the folder to write the server root into."));
    if (sizeGiven && !large)
        return usageError(QStringLiteral("size options belong to --large."));

    try {
        QElapsedTimer timer;
        timer.start();
        if (large)
            writeLargeSite(dir, sizes);
        else
            writeDemoSite(dir);
        out << (large ? "Wrote the large site into " : "Wrote the demo site into ") << QDir(dir).absolutePath()
            << QStringLiteral(" in %1 s.\n").arg(timer.elapsed() / 1000.0, 0, 'f', 1);
        out.flush();
        return 0;
    } catch (const RuntimeError& e) {
        err << "talvo-site: " << e.description() << "\n";
        err.flush();
        return 1;
    }
}
