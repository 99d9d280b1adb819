// Times loading registry files of awkward shapes and sizes; prints the time and the process's peak
// memory. One shape per run, so that the peak belongs to it:
//   registry_bench deep|hex|values|keys KILOBYTES
#include "system/RegistryStore.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

namespace {

QByteArray makeFile(const char* shape, qint64 bytes)
{
    QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n";
    if (std::strcmp(shape, "deep") == 0) {
        // One key, as deep as the size allows.
        text += "[HKEY_LOCAL_MACHINE";
        while (text.size() < bytes - 4)
            text += "\\k";
        text += "]\r\n";
    } else if (std::strcmp(shape, "hex") == 0) {
        // One binary value on one line.
        text += "[HKEY_LOCAL_MACHINE\\Software]\r\n\"Blob\"=hex:00";
        while (text.size() < bytes - 5)
            text += ",ab";
        text += "\r\n";
    } else if (std::strcmp(shape, "values") == 0) {
        text += "[HKEY_LOCAL_MACHINE\\Software]\r\n";
        for (int i = 0; text.size() < bytes - 40; ++i)
            text += "\"v" + QByteArray::number(i) + "\"=dword:0000002a\r\n";
    } else {
        for (int i = 0; text.size() < bytes - 60; ++i)
            text += "[HKEY_LOCAL_MACHINE\\Software\\k" + QByteArray::number(i) + "]\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: registry_bench deep|hex|values|keys KILOBYTES\n");
        return 2;
    }
    const qint64 bytes = std::atoll(argv[2]) * 1024;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(makeFile(argv[1], bytes)) < 0)
            return 1;
    }
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer timer;
    timer.start();
    const RegistryStore store = RegistryStore::load(path);
    const double ms = timer.nsecsElapsed() / 1e6;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    std::printf("%s, %lld KiB file: load %.1f ms, peak resident %ld MiB (before loading %ld MiB), HKLM %s\n", argv[1],
                static_cast<long long>(bytes / 1024), ms, after.ru_maxrss / 1024, before.ru_maxrss / 1024,
                store.hasKey(QStringLiteral("HKEY_LOCAL_MACHINE")) ? "found" : "missing");
    return 0;
}
