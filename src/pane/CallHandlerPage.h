#pragma once

#include "pane/FramedTabs.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;

// The "Call Handler" page of the property pane.
class CallHandlerPage : public QWidget {
    Q_OBJECT
public:
    explicit CallHandlerPage(QWidget* parent = nullptr);

    void tabHandlerInfo_Click(int PreviousTab);
    void tabHandlerTransferInfo_Click(int PreviousTab);

    // The transfer tabs read "Alternate", "Standard", "Closed": tab t shows the controls of rule
    // kTransferRuleOnTab[t] (0 Standard, 1 Off Hours, 2 Alternate).
    static constexpr std::array<int, 3> kTransferRuleOnTab = {2, 0, 1};

    FramedTabs* tabHandlerInfo;
    FramedTabs* tabHandlerTransferInfo;
    FramedTabs* tabHandlerGreetingInfo;
    QGroupBox* frameSonotropeHandlerGreeting;
    QComboBox* cmbHandlerProfileSchedule;
    std::array<QComboBox*, 3> cmbHandlerTransferType{}; // by rule index
    QLabel* lblSACallHandlerJump;
};
