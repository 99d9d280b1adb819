#pragma once

#include "system/ProgramFolder.h"

#include <QDialog>
#include <QUrl>

class QTextBrowser;
class UserPrompts;

// The help window: the help page beside the program, Treewright.htm, in a text browser. Each
// opening reads the page afresh; without a page it can show (none there, no file, too large,
// unreadable, too costly to lay out) it says where the page was looked for and why it is not shown.
class frmDetails : public QDialog {
    Q_OBJECT
public:
    frmDetails(const ProgramFolder& programFolder, UserPrompts& prompts, QWidget* parent = nullptr);

    static QString helpPageName() { return QStringLiteral("Treewright.htm"); }

    void Form_Load();
    void Form_Resize();

    // The window's outer size in twips, as the resize rule measures it.
    double outerWidthTwips() const;
    double outerHeightTwips() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showMissingPage(const QString& page, const QString& reason);

    ProgramFolder m_programFolder;
    UserPrompts& m_prompts;
    QTextBrowser* browserHelp;
    QUrl m_shownPage;
};
