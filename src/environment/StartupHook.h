#pragma once

#include <QString>

class ProcessLauncher;
class ProgramFolder;

// The maker's update page: fetched by the update check, opened in the browser, handed to the hook.
inline const QString kUpdatePageAddress = QStringLiteral("https://updates.treewright.invalid/treewright/version.html");

// Starts test.bat from the program folder, when it is there and may be run, with the program's
// version (major.minor.revision) and the update page's address. Every failure passes silently.
void RunTestBatch(const ProgramFolder& programFolder, const QString& programVersion, ProcessLauncher& launcher);
