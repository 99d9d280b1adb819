#include "data/TextExport.h"

#include "data/SharedState.h"
#include "runtime/ErrorHandling.h"

QString exportLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + kExportLineEnd;
    return text;
}

bool writeExportFile(SharedState& state, const QString& path, const QString& text, const StepErrors& errors)
{
    return runStep(state.prompts, errors, [&] { state.fileSystem.writeWholeFile(path, text.toUtf8()); });
}
