#include "tree/TreeExport.h"

#include "data/SharedState.h"
#include "data/TextExport.h"
#include "runtime/ErrorHandling.h"
#include "runtime/FileDialogs.h"
#include "runtime/SlotGuard.h"
#include "system/Clock.h"

#include <QAction>
#include <QDir>
#include <algorithm>

TreeExport::TreeExport(SharedState& state, const OutlineGrid& grid, QObject* parent)
    : QObject(parent),
      m_state(state),
      m_grid(grid)
{
}

void TreeExport::connectTo(QAction* exportTree)
{
    connectGuarded(m_state.prompts, exportTree, &QAction::triggered, this, [this] { ExportTree_Click(); });
}

void TreeExport::ExportTree_Click()
{
    UserPrompts& prompts = m_state.prompts;
    // The home folder stands in for the root of the system drive.
    const QString fileName =
        m_state.environment.fileDialogs.saveFileName({QStringLiteral("Select Export Tree File Name"), QDir::homePath(),
                                                      QStringLiteral("AudioTextTree.TXT"), QStringLiteral("Text File (*.txt)")});
    if (fileName.isEmpty())
        return;
    if (fileName.size() < 5) {
        prompts.msgBox(QStringLiteral("Invalid text file name.  Please choose a valid file name."), Buttons::OKOnly);
        return;
    }
    if (m_state.fileSystem.FileExists(fileName)
        && prompts.msgBox(QStringLiteral("Overwrite ") + fileName + QStringLiteral("?"), Buttons::OKCancel,
                          QStringLiteral("Overwrite File?"))
               != Answer::OK)
        return;
    // The file appears under its name only once it is complete; the first error ends the export.
    QString text;
    const StepErrors errors("Error in Export Tree function:");
    if (runStep(prompts, errors, [&] { text = exportText(m_grid, m_state.environment.clock.now()); })
        && writeExportFile(m_state, fileName, text, errors))
        prompts.msgBox(QStringLiteral("Output complete."), Buttons::OKOnly);
}

QString TreeExport::exportText(const OutlineGrid& grid, const QDateTime& now)
{
    const OutlineGrid::Node root = grid.node(0);
    if (!root.isValid())
        throwError(OutlineGrid::InvalidIndex, QStringLiteral("Invalid property array index"));
    QString out = QStringLiteral("Export of Audio Text Tree on: ") + generalDateText(now) + kExportLineEnd + kExportLineEnd;
    ExportTreeNode(root, 0, out);
    return out;
}

void TreeExport::ExportTreeNode(const OutlineGrid::Node& node, int depth, QString& out)
{
    const int children = node.childCount();
    const int indent = 6 * depth;
    if (!node.isOpen() && children > 0)
        out += QString(std::max(indent - 1, 0), QLatin1Char(' ')) + QLatin1Char('+');
    else
        out += QString(indent, QLatin1Char(' '));
    out += node.text() + kExportLineEnd;
    if (!node.isOpen())
        return;
    OutlineGrid::Node child = node.firstChild();
    for (int i = 0; i < children && child.isValid(); ++i) {
        ExportTreeNode(child, depth + 1, out);
        child = child.nextSibling();
    }
}
