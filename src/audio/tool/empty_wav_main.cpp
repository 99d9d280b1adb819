// Writes the program's silent greeting, the source of every new greeting file: one second of
// silence in the telephone format.
#include "audio/WavFile.h"
#include "runtime/RuntimeError.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <empty.wav>\n", argv[0]);
        return 2;
    }
    try {
        writeWavFile(QString::fromLocal8Bit(argv[1]), silentWav(1000));
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
