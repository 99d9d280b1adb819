#pragma once

#include "dialogs/DialogOperations.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

class BoundGrid;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SharedState;

// The family of the four search dialogs: the same window and steps, differing in their query,
// columns and texts. The results go to a struct the caller owns and reads after the dialog.
class ObjectSearchDialog : public QDialog {
    Q_OBJECT
public:
    using Result = DialogOperations::SearchResult;

    struct Option {
        const char* name;
        QString caption;
        QString filter; // the condition on the bound pattern ?1
        bool trimmed;   // the pattern loses its blanks around it
    };
    struct Member {
        QString caption;
        std::vector<Option> options;
        int selected; // the option chosen at load
        QString head, tail;
        QStringList headers; // grid columns 1, 2, ...
        int idColumn;
        QString idKey;
        QString noSelection;
        bool errorsShown; // false: a failing search step passes silently
    };

    ObjectSearchDialog(SharedState& state, Result& result, const Member& member, QWidget* parent = nullptr);

    void cmdSearch_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    QGroupBox* Frame1;
    std::vector<QRadioButton*> options;
    QLineEdit* txtSearchString;
    QPushButton* cmdSearch;
    BoundGrid* myGrid;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

private:
    void Form_Load();

    SharedState& m_state;
    Result& m_result;
    Member m_member;
};

class frmSubscriberSearch : public ObjectSearchDialog {
public:
    frmSubscriberSearch(SharedState& state, Result& result, QWidget* parent = nullptr);
};

class frmCallHandlerSearch : public ObjectSearchDialog {
public:
    frmCallHandlerSearch(SharedState& state, Result& result, QWidget* parent = nullptr);
};

class frmInterviewerSearch : public ObjectSearchDialog {
public:
    frmInterviewerSearch(SharedState& state, Result& result, QWidget* parent = nullptr);
};

class frmDistributionListSearch : public ObjectSearchDialog {
public:
    frmDistributionListSearch(SharedState& state, Result& result, QWidget* parent = nullptr);
};
