#pragma once

#include <QMenu>
#include <array>

class QAction;

// The action popup of the tree and the pane's choose-action buttons: where the selected link
// leads, and the key commands. Items keep the states the last writer gave them.
class LinkPopUpMenu : public QMenu {
    Q_OBJECT
public:
    explicit LinkPopUpMenu(QWidget* parent = nullptr);

    QAction* PopUpSetAsTreeRoot;
    QAction* PopUpSpacer0;
    QAction* LinkIgnoreKey;
    QAction* LinkTakeMessage;
    QAction* LinkHangUp;
    QAction* LinkSkipGreeting;
    QAction* LinkSignIn;
    QAction* LinkGreetingsAdministrator;
    QAction* LinkDirectoryHandler;
    QAction* LinkCallHandler;
    QAction* LinkSubscriber;
    QAction* LinkInterviewer;
    QAction* PopUpSpacer1;
    QAction* LinkLockKey;
    QAction* linkLockAllKeys;
    QAction* linkUnlockAllKeys;
    QAction* PopUpSpacer2;
    QAction* LinkAttemptTransfer;
    QAction* LinkSendToGreeting;

    // All nineteen in menu order.
    std::array<QAction*, 19> items() const;
    // The fifteen link and key commands: neither the re-rooting item nor separators.
    std::array<QAction*, 15> commandItems() const;
};
