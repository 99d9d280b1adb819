#pragma once

#include <QString>

class ProcessLauncher;
class ProgramFolder;

// Starts test.bat from the program folder, when it is there and may be run, with the program's
// version (major.minor.revision) and the update page's address. Every failure passes silently.
void RunTestBatch(const ProgramFolder& programFolder, const QString& programVersion, const QString& updatePageAddress,
                  ProcessLauncher& launcher);
