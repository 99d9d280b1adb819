#pragma once

#include <QTabWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

// The "Directory Handler" page: its tab control `tabDirectoryHandlerInfo` is the page itself,
// the controls standing on its tabs.
class DirectoryHandlerPage : public QTabWidget {
    Q_OBJECT
public:
    explicit DirectoryHandlerPage(QWidget* parent = nullptr);

    // Empties every control of the page.
    void clear();

    // "Profile"
    QLineEdit* txtDirectoryHandlerDisplayName;
    QLineEdit* txtDirectoryHandlerAlias;
    QLineEdit* txtDirectoryHandlerExtension;
    QLabel* lblSADirectoryHandlerJump;

    // "Caller Input": the four exits.
    QLineEdit* txtDirectoryHandlerExitAction;
    QPushButton* cmdDirectoryHandlerSetExit;
    QLineEdit* txtDirectoryHandlerZeroExitAction;
    QPushButton* cmdDirectoryHandlerSetZeroExit;
    QLineEdit* txtDirectoryHandlerNoSelectionExitAction;
    QPushButton* cmdDirectoryHandlerSetNoSelectionExit;
    QLineEdit* txtDirectoryHandlerNoInputExitAction;
    QPushButton* cmdDirectoryHandlerSetNoInputExit;

    // The exits' column prefixes and their boxes, in the order they are shown.
    static constexpr int ExitCount = 4;
    static constexpr std::array<const char*, ExitCount> ExitPrefix = {"Exit", "Zero", "NoSelection", "NoInput"};
    std::array<QLineEdit*, ExitCount> exitBoxes() const;
};
