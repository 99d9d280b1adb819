#pragma once

#include "environment/LanguageLibraries.h"
#include "fakes/ScriptedPrompts.h"
#include "system/SharedFileSystem.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A temporary program folder with language libraries (any bytes: nothing is read from them) and
// the run's language state on it, the user's own language given by the test.
struct LanguageFolder {
    explicit LanguageFolder(const QStringList& files = {}, qint32 userLanguage = 1033)
        : languages(ProgramFolder(dir.path()), fileSystem, prompts, [this] { return this->userLanguage; }),
          userLanguage(userLanguage)
    {
        for (const QString& name : files)
            add(name);
    }
    void add(const QString& name) const
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("MZ not a real library");
    }

    QTemporaryDir dir;
    SharedFileSystem fileSystem;
    ScriptedPrompts prompts;
    LanguageLibraries languages;
    qint32 userLanguage;
};

inline const QString kJapaneseFace = QString::fromUtf8("ＭＳ Ｐゴシック");
