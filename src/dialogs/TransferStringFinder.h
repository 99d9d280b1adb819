#pragma once

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SharedState;

// "Find Transfer String": reports every call handler and subscriber whose transfer rules dial a
// given string, exactly or as part of a longer one. A modeless tool window; Exit only hides it.
class frmFindTransferString : public QWidget {
    Q_OBJECT
public:
    explicit frmFindTransferString(SharedState& state, QWidget* parent = nullptr);
    ~frmFindTransferString() override;

    void cmdSearch_Click();
    void cmdExit_Click();

    QGroupBox* frameTransferString;
    QLineEdit* txtTransferString;
    QRadioButton* optExactMatch;
    QRadioButton* optPartialMatch;
    QPushButton* cmdSearch;
    QPushButton* cmdExit;

private:
    SharedState& m_state;
};
