#pragma once

#include "dialogs/DialogOperations.h"

#include <QDialog>
#include <QString>

class BoundGrid;
class FieldValidation;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class SharedState;

// The frame the three Get dialogs share: a create tab (name, optional extension and, for call
// and interview handlers, a template) and a pick tab (a search over the handlers of the kind).
// The results go to a struct the caller owns; closing the window by its frame is Cancel.
class GetHandlerDialog : public QDialog {
    Q_OBJECT
public:
    using Result = DialogOperations::GetHandlerResult;

    struct Member {
        QString caption;
        const char* tabName;
        QString createTab, pickTab;
        QString templateFrame; // empty: no template
        const char* templateButtonName;
        QString templateButtonCaption;
        QString searchCaption;
        bool createIsDefault;
        QString head, joiner, tail; // the pick tab's query; joiner opens the filter ("AND", "WHERE")
        QString idKey;
        QString noSelection;
        QString selectErrorsForm; // the form named in Select's error boxes; empty: passed over
    };

    GetHandlerDialog(SharedState& state, DialogOperations& dialogs, Result& result, const Member& member, QWidget* parent);
    ~GetHandlerDialog() override;

    // A showing starts cancelled; only a Create or a Select makes it otherwise.
    void startShowing()
    {
        m_result.bCancel = true;
        m_result.bCreated = false;
        m_createdOne = false;
    }
    // False when the load refused the showing (it has shown why).
    bool canShow() const { return m_canShow; }
    // True when the last showing ended with a Create.
    bool createdOne() const { return m_createdOne; }

    virtual void cmdCreateHandler_Click() = 0;
    void cmdSelect_Click();
    void cmdCancel_Click();
    void cmdSearch_Click();
    void tabClick();

    QTabWidget* tabs;
    QLineEdit* txtHandlerName;
    QLineEdit* txtHandlerExtension;
    QGroupBox* templateFrame = nullptr;
    QLineEdit* txtHandlerTemplateDisplayName = nullptr;
    QLineEdit* txtHandlerTemplateObjectID = nullptr;
    QPushButton* cmdSelectTemplate = nullptr; // cmdSelectCallHandler or cmdSelectHandler
    QRadioButton* optSearchByDisplayName;
    QRadioButton* optSearchByExtension;
    QLineEdit* txtSearchString;
    QPushButton* cmdSearch;
    BoundGrid* myGrid;
    QPushButton* cmdCreateHandler;
    QPushButton* cmdSelect;
    QPushButton* cmdCancel;

protected:
    // The template search's pick, when not cancelled.
    virtual void templatePicked(const DialogOperations::SearchResult& pick);
    virtual DialogOperations::SearchResult searchTemplate() = 0;
    void created(const QString& id);
    void refuseShowing() { m_canShow = false; }

    SharedState& m_state;
    DialogOperations& m_dialogs;
    Result& m_result;

private:
    void selectRow(bool errorsShown);

    Member m_member;
    FieldValidation* m_validation;
    bool m_canShow = true;
    bool m_createdOne = false;
};

// "Get Call Handler". The template id lasts for the run: the caller keeps it.
class frmMakeNewCallHandler : public GetHandlerDialog {
    Q_OBJECT
public:
    frmMakeNewCallHandler(SharedState& state, DialogOperations& dialogs, Result& result, QString& strTemplateObjectID,
                          QWidget* parent = nullptr);
    void cmdCreateHandler_Click() override;

protected:
    DialogOperations::SearchResult searchTemplate() override { return m_dialogs.frmCallHandlerSearch(); }
    void templatePicked(const DialogOperations::SearchResult& pick) override;

private:
    void Form_Load();
    QString& m_strTemplateObjectID;
};

// "Get Interviewer".
class frmMakeNewInterviewer : public GetHandlerDialog {
    Q_OBJECT
public:
    frmMakeNewInterviewer(SharedState& state, DialogOperations& dialogs, Result& result, QWidget* parent = nullptr);
    void cmdCreateHandler_Click() override;

protected:
    DialogOperations::SearchResult searchTemplate() override { return m_dialogs.frmInterviewerSearch(); }

private:
    void Form_Load();
};

// "Get Directory Handler".
class frmMakeNewDirectoryHandler : public GetHandlerDialog {
    Q_OBJECT
public:
    frmMakeNewDirectoryHandler(SharedState& state, DialogOperations& dialogs, Result& result, QWidget* parent = nullptr);
    void cmdCreateHandler_Click() override;

protected:
    DialogOperations::SearchResult searchTemplate() override { return {}; }
};
