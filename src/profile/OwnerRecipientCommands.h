#pragma once

#include "profile/ProfileObjects.h"

#include <QObject>
#include <array>

class DialogOperations;
class QAction;
class QLineEdit;
class QMenu;
class QWidget;
struct ProfileControls;

// The owner and message recipient of call handlers and interview handlers: each "Set" button
// opens a popup with the two kinds, the stored kind checked; the chosen kind's search dialog
// picks the object, which is written into the shown handler at once and logged.
class OwnerRecipientCommands : public QObject {
    Q_OBJECT
public:
    // The popups belong to the window; without dialogs the commands do nothing.
    OwnerRecipientCommands(ProfileObjects& objects, DialogOperations* dialogs, QWidget* window);

    void connectTo(const ProfileControls& controls);

    void cmdHandlerChangeOwner_Click();
    void cmdHandlerMessagesChangeRecipient_Click();
    void cmdInterviewerProfileSetOwner_Click();
    void cmdInterviewerProfileSetRecipient_Click();

    void TabsSetOWnerHandlerDL_Click();
    void TabsSetOwnerHandlerSubscriber_Click();
    void TabsSetHandlerRecipientDistributionList_Click();
    void TabsSetHandlerRecipientSubscriber_Click();
    void TabsSetOwnerInterviewerDistributionList_Click();
    void TabsSetOwnerInterviewerSubscriber_Click();
    void TabsSetRecipientInterviewerDistributionList_Click();
    void TabsSetRecipientInterviewerSubscriber_Click();

    // The four popups: owner and recipient of a call handler, then of an interview handler.
    enum PopupIndex { HandlerOwner = 0, HandlerRecipient = 1, InterviewerOwner = 2, InterviewerRecipient = 3 };
    QMenu* popup(PopupIndex index) const { return m_popups[size_t(index)].menu; }

private:
    struct Popup {
        ProfileObjects::Kind kind;
        bool owner;
        QLineEdit* box = nullptr;
        QMenu* menu = nullptr;
        QAction* distributionList = nullptr;
        QAction* subscriber = nullptr;
    };

    // Sets the check marks from the stored type and opens the popup at the mouse pointer.
    void openPopup(PopupIndex index);
    void assign(PopupIndex index, bool subscriber, const QString& procedure, const QString& missingSubscriberMessage);
    // After a refused write: the box names the party the handler's row stores, as the page's
    // load names it (empty when it names no subscriber and no list).
    void showStored(const Popup& p, const QString& handler);

    ProfileObjects& m_objects;
    DialogOperations* m_dialogs;
    std::array<Popup, 4> m_popups;
};
