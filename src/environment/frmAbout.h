#pragma once

#include <QDialog>
#include <vector>

class LanguageLibraries;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class UserPrompts;

// The About box: the program's name and version, and the language menu that switches among the
// language libraries beside the program. OK only hides the box: it keeps its version and menu
// for the next opening; closing it with the window frame ends it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(LanguageLibraries& languages, const QString& programVersion, UserPrompts& prompts, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void lblChangeLanguage_Click();
    void mnuLanguageList_Click(int Index);

    // True once the box was closed with the window frame rather than hidden by OK.
    bool closedByFrame() const { return m_closedByFrame; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addLanguageItem(int index);

    LanguageLibraries& m_languages;
    QString m_programVersion;
    UserPrompts& m_prompts;
    bool m_closedByFrame = false;

    QLabel* lblVersionTitle;
    QLabel* lblVersion;
    QLabel* lblChangeLanguage;
    QMenu* mnuSelectLanguage;
    std::vector<QAction*> mnuLanguageList;
    QPushButton* cmdOK;
};
