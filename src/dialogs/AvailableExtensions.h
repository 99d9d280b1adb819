#pragma once

#include <QWidget>

class FieldValidation;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class SharedState;

// "Find Available Extensions": lists the numbers of a range of up to 5,001 that no object of the
// dialing domain uses, and writes that list to a text file. A modeless tool window.
class frmAvailableExtensions : public QWidget {
    Q_OBJECT
public:
    // The widest range a search covers: the end may lie this far above the start.
    static constexpr qint64 kMaximumSpan = 5000;

    explicit frmAvailableExtensions(SharedState& state, QWidget* parent = nullptr);
    ~frmAvailableExtensions() override;

    void txtStartRange_Validate(bool& Cancel);
    void txtEndRange_Validate(bool& Cancel);
    void cmdSearch_Click();
    void cmdExport_Click();
    void cmdExit_Click();

    bool searching() const { return m_searching; }

    QGroupBox* Frame1;
    QLineEdit* txtStartRange;
    QLabel* Label2;
    QLineEdit* txtEndRange;
    QPushButton* cmdSearch;
    QPushButton* cmdExport;
    QPushButton* cmdExit;
    QListWidget* listAvailableExtensions;
    QProgressBar* ProgressBar;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void validateRange(QLineEdit* box);
    // Both boxes hold a number; an empty box or one its check refuses stops the search with the
    // check's message.
    bool rangeGiven();

    SharedState& m_state;
    FieldValidation* m_validation;
    bool m_searching = false;
    // Exit or the close box during a search: the scan stops and the window closes after it.
    bool m_closeRequested = false;
    // A box was refused as the focus moved to Search, and its message given.
    bool m_refusedOnTheWayToSearch = false;
};

// The range box's number as the search reads it: the leading whole number of the text (blanks
// before it and a sign allowed), 0 when there is none.
qint64 rangeValue(const QString& text);
