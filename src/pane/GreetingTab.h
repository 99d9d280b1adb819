#pragma once

#include "pane/PaneControls.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The control names of one page's greeting tabs; a control's objectName is its name, "_" and
// the greeting index.
struct GreetingTabNames {
    const char* afterGreeting;
    const char* changeAfterGreeting;
    const char* enabled;
    const char* allowInput;
    const char* streamPath;
    const char* objectId;
    const char* source;
    const char* repeat;
    const char* objectIdBeforeLoad; // what the hidden id box holds until a load fills it

    static const GreetingTabNames CallHandler;
    static const GreetingTabNames Subscriber;
};

// The controls of one greeting on its tab's frame: its after-greeting action, whether it is on,
// whether callers may dial, its source and repeats, and two hidden boxes with its file name and
// row id. The call handler and subscriber pages each hold six, by greeting index.
class GreetingTab : public QWidget {
    Q_OBJECT
public:
    GreetingTab(const GreetingTabNames& names, int index, QWidget* frame);

    // Empties every control and disables those of a greeting that is off; runs the enabled
    // box's handler where its value changes.
    void clear();
    GreetingControls controls() const;

    QLineEdit* afterGreeting;
    QPushButton* changeAfterGreeting;
    QCheckBox* enabled;
    QCheckBox* allowInput;
    QComboBox* source;
    QComboBox* repeat;
    QLineEdit* streamPath;
    QLineEdit* objectId;
};

// A page's greeting tab control with the greetings on its frames, as the editors see them.
GreetingPageControls greetingPageControls(QTabWidget* tabs, const std::array<GreetingTab*, GreetingCount>& greetings);
