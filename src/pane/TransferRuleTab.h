#pragma once

#include "pane/PaneControls.h"
#include "runtime/Variant.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

// The control names of a page's transfer rules. The call handler's are control arrays (name, "_"
// and the rule index); the subscriber's single controls carry the bare name and have no enabled
// box.
struct TransferRuleNames {
    const char* enabled; // null: the page has no enabled box
    const char* attemptRingPhone;
    const char* sendToGreeting;
    const char* transferType;
    const char* ringsToWait;
    const char* transferString;

    static const TransferRuleNames CallHandler;
    static const TransferRuleNames Subscriber;
};

// One transfer rule's controls on its frame: whether it is on, whether it rings a phone or sends
// the caller to the greeting, the transfer type, the rings to wait and the transfer string.
class TransferRuleTab : public QWidget {
    Q_OBJECT
public:
    // index -1: single controls.
    TransferRuleTab(const TransferRuleNames& names, int index, QWidget* frame);

    // Empties every control, neither option selected, all disabled as for a rule that is off;
    // runs the handlers where a value changes.
    void clear();
    TransferRuleControls controls() const;
    // Chooses the type list's entry that a stored TransferType shows as; runs the list's handler.
    void showTransferType(const Variant& stored);

    QCheckBox* enabled = nullptr;
    QRadioButton* attemptRingPhone;
    QRadioButton* sendToGreeting;
    QComboBox* transferType;
    QLineEdit* ringsToWait;
    QLineEdit* transferString;
};
