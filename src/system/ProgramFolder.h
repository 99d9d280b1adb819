#pragma once

#include <QString>

// The folder the program keeps its own files in: the logs folder, temporary recordings, empty.wav,
// the help page and test.bat. It is the folder TREEWRIGHT_HOME names, else the executable's own.
class ProgramFolder {
public:
    // The path is made absolute so that a later change of the working folder does not move it.
    explicit ProgramFolder(const QString& path);

    // TREEWRIGHT_HOME when set and not empty, else the executable's folder.
    static ProgramFolder fromEnvironment();

    QString path() const { return m_path; }
    // A file or folder directly inside the program folder.
    QString file(const QString& name) const;

private:
    QString m_path;
};
