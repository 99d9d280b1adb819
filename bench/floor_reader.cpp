// The floor for opening the recordset cache, as a program of its own (for timing from outside):
// the thirteen source queries through the SQLite C API, every row stepped, every column read.
//   floor_reader SERVER_ROOT [RUNS]   prints the time of each run; exit status 1 when a read failed
#include "FloorRead.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: floor_reader SERVER_ROOT [RUNS]\n");
        return 2;
    }
    const std::string path = std::string(argv[1]) + "/TalvoDb.sqlite3";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const floor_read::Result r = floor_read::readAll(path.c_str());
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (!r.ok)
            return 1;
        std::printf("%.1f ms, %lld rows, %lld cells (checksum %llu)\n", ms, r.rows, r.cells,
                    static_cast<unsigned long long>(r.checksum));
    }
    return 0;
}
