#include "actions/LinkPopUpMenu.h"

#include "widgets/Named.h"

#include <QAction>

namespace {

QAction* item(QMenu* menu, const char* caption, const char* name)
{
    QAction* a = named(menu->addAction(QString::fromLatin1(caption)), name);
    a->setCheckable(true);
    return a;
}

QAction* spacer(QMenu* menu, const char* name)
{
    return named(menu->addSeparator(), name);
}

} // namespace

LinkPopUpMenu::LinkPopUpMenu(QWidget* parent)
    : QMenu(QStringLiteral("Action"), parent)
{
    setObjectName(QStringLiteral("LinkPopUpMenu"));
    PopUpSetAsTreeRoot = item(this, "Set As New Tree Root", "PopUpSetAsTreeRoot");
    PopUpSpacer0 = spacer(this, "PopUpSpacer0");
    LinkIgnoreKey = item(this, "Ignore Key", "LinkIgnoreKey");
    LinkTakeMessage = item(this, "Take Message", "LinkTakeMessage");
    LinkHangUp = item(this, "Hang Up", "LinkHangUp");
    LinkSkipGreeting = item(this, "Skip Greeting", "LinkSkipGreeting");
    LinkSignIn = item(this, "Sign In", "LinkSignIn");
    LinkGreetingsAdministrator = item(this, "Greetings Administrator", "LinkGreetingsAdministrator");
    LinkDirectoryHandler = item(this, "Send To Directory Handler", "LinkDirectoryHandler");
    LinkCallHandler = item(this, "Send To Call Handler", "LinkCallHandler");
    LinkSubscriber = item(this, "Send To Subscriber", "LinkSubscriber");
    LinkInterviewer = item(this, "Send To Interviewer", "LinkInterviewer");
    PopUpSpacer1 = spacer(this, "PopUpSpacer1");
    LinkLockKey = item(this, "Lock Key", "LinkLockKey");
    linkLockAllKeys = item(this, "Lock All Keys", "linkLockAllKeys");
    linkUnlockAllKeys = item(this, "UnLock All Keys", "linkUnlockAllKeys");
    PopUpSpacer2 = spacer(this, "PopUpSpacer2");
    LinkAttemptTransfer = item(this, "Attempt to Ring Phone", "LinkAttemptTransfer");
    LinkSendToGreeting = item(this, "Send to Greeting", "LinkSendToGreeting");
}

std::array<QAction*, 19> LinkPopUpMenu::items() const
{
    return {PopUpSetAsTreeRoot,   PopUpSpacer0,        LinkIgnoreKey,     LinkTakeMessage,
            LinkHangUp,           LinkSkipGreeting,    LinkSignIn,        LinkGreetingsAdministrator,
            LinkDirectoryHandler, LinkCallHandler,     LinkSubscriber,    LinkInterviewer,
            PopUpSpacer1,         LinkLockKey,         linkLockAllKeys,   linkUnlockAllKeys,
            PopUpSpacer2,         LinkAttemptTransfer, LinkSendToGreeting};
}

std::array<QAction*, 15> LinkPopUpMenu::commandItems() const
{
    return {LinkIgnoreKey,        LinkTakeMessage,     LinkHangUp,        LinkSkipGreeting, LinkSignIn,  LinkGreetingsAdministrator,
            LinkDirectoryHandler, LinkCallHandler,     LinkSubscriber,    LinkInterviewer,  LinkLockKey, linkLockAllKeys,
            linkUnlockAllKeys,    LinkAttemptTransfer, LinkSendToGreeting};
}
