#include "profile/OwnerRecipientCommands.h"

#include "data/LinkDisplay.h"
#include "data/SharedState.h"
#include "db/RecordsetPosition.h"
#include "dialogs/DialogOperations.h"
#include "pane/PaneControls.h"
#include "runtime/SlotGuard.h"

#include <QAbstractButton>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>

namespace {

using Kind = ProfileObjects::Kind;

struct PopupSpec {
    const char* menu;
    const char* distributionList;
    const char* subscriber;
};

// By PopupIndex.
const PopupSpec kPopups[] = {
    {"TabsSetOwnerHandlerPopupMenu", "TabsSetOWnerHandlerDL", "TabsSetOwnerHandlerSubscriber"},
    {"TabsSetRecipientHandlerPopUpMenu", "TabsSetHandlerRecipientDistributionList", "TabsSetHandlerRecipientSubscriber"},
    {"TabsSetOwnerInterviewerPopupMenu", "TabsSetOwnerInterviewerDistributionList", "TabsSetOwnerInterviewerSubscriber"},
    {"TabsSetRecipientInterviewerPopupMenu", "TabsSetRecipientInterviewerDistributionList",
     "TabsSetRecipientInterviewerSubscriber"},
};

QString idColumn(bool owner)
{
    return owner ? QStringLiteral("AdministratorObjectID") : QStringLiteral("RecipientObjectID");
}

QString typeColumn(bool owner)
{
    return owner ? QStringLiteral("AdministratorObjectIDType") : QStringLiteral("RecipientObjectIDType");
}

} // namespace

OwnerRecipientCommands::OwnerRecipientCommands(ProfileObjects& objects, DialogOperations* dialogs, QWidget* window)
    : m_objects(objects),
      m_dialogs(dialogs),
      m_popups{{{Kind::CallHandler, true}, {Kind::CallHandler, false}, {Kind::Interviewer, true}, {Kind::Interviewer, false}}}
{
    for (size_t i = 0; i < m_popups.size(); ++i) {
        Popup& p = m_popups[i];
        p.menu = new QMenu(window);
        p.menu->setObjectName(QString::fromLatin1(kPopups[i].menu));
        p.distributionList = p.menu->addAction(QStringLiteral("Distribution List"));
        p.distributionList->setObjectName(QString::fromLatin1(kPopups[i].distributionList));
        p.subscriber = p.menu->addAction(QStringLiteral("Subscriber"));
        p.subscriber->setObjectName(QString::fromLatin1(kPopups[i].subscriber));
        for (QAction* item : {p.distributionList, p.subscriber})
            item->setCheckable(true);
    }
    UserPrompts& prompts = m_objects.state().prompts;
    auto on = [&](QAction* item, void (OwnerRecipientCommands::*command)()) {
        connectGuarded(prompts, item, &QAction::triggered, this, [this, command] { (this->*command)(); });
    };
    on(m_popups[HandlerOwner].distributionList, &OwnerRecipientCommands::TabsSetOWnerHandlerDL_Click);
    on(m_popups[HandlerOwner].subscriber, &OwnerRecipientCommands::TabsSetOwnerHandlerSubscriber_Click);
    on(m_popups[HandlerRecipient].distributionList, &OwnerRecipientCommands::TabsSetHandlerRecipientDistributionList_Click);
    on(m_popups[HandlerRecipient].subscriber, &OwnerRecipientCommands::TabsSetHandlerRecipientSubscriber_Click);
    on(m_popups[InterviewerOwner].distributionList, &OwnerRecipientCommands::TabsSetOwnerInterviewerDistributionList_Click);
    on(m_popups[InterviewerOwner].subscriber, &OwnerRecipientCommands::TabsSetOwnerInterviewerSubscriber_Click);
    on(m_popups[InterviewerRecipient].distributionList, &OwnerRecipientCommands::TabsSetRecipientInterviewerDistributionList_Click);
    on(m_popups[InterviewerRecipient].subscriber, &OwnerRecipientCommands::TabsSetRecipientInterviewerSubscriber_Click);
}

void OwnerRecipientCommands::connectTo(const ProfileControls& c)
{
    m_popups[HandlerOwner].box = c.txtHandlerProfileOwner;
    m_popups[HandlerRecipient].box = c.txtHandlerMessagesRecipient;
    m_popups[InterviewerOwner].box = c.txtInterviewerOwner;
    m_popups[InterviewerRecipient].box = c.txtInterviewerRecipient;
    UserPrompts& prompts = m_objects.state().prompts;
    auto on = [&](QAbstractButton* button, void (OwnerRecipientCommands::*click)()) {
        connectGuarded(prompts, button, &QAbstractButton::clicked, this, [this, click] { (this->*click)(); });
    };
    on(c.cmdHandlerChangeOwner, &OwnerRecipientCommands::cmdHandlerChangeOwner_Click);
    on(c.cmdHandlerMessagesChangeRecipient, &OwnerRecipientCommands::cmdHandlerMessagesChangeRecipient_Click);
    on(c.cmdInterviewerProfileSetOwner, &OwnerRecipientCommands::cmdInterviewerProfileSetOwner_Click);
    on(c.cmdInterviewerProfileSetRecipient, &OwnerRecipientCommands::cmdInterviewerProfileSetRecipient_Click);
}

void OwnerRecipientCommands::cmdHandlerChangeOwner_Click()
{
    openPopup(HandlerOwner);
}

void OwnerRecipientCommands::cmdHandlerMessagesChangeRecipient_Click()
{
    openPopup(HandlerRecipient);
}

void OwnerRecipientCommands::cmdInterviewerProfileSetOwner_Click()
{
    openPopup(InterviewerOwner);
}

void OwnerRecipientCommands::cmdInterviewerProfileSetRecipient_Click()
{
    openPopup(InterviewerRecipient);
}

void OwnerRecipientCommands::openPopup(PopupIndex index)
{
    const Popup& p = m_popups[size_t(index)];
    const QString id = m_objects.editedId(p.kind);
    if (id.isEmpty())
        return;
    Recordset& rs = m_objects.recordset(p.kind);
    bool subscriber = false;
    bool neither = false;
    runStepSilently([&] {
        m_objects.positionOn(p.kind, id);
        // A call handler without an owner has neither kind checked.
        neither = index == HandlerOwner && rs.field(idColumn(true)).isNull();
        const Variant type = rs.field(typeColumn(p.owner));
        subscriber = !type.isNull() && type.toDouble() == 1;
    });
    p.subscriber->setChecked(!neither && subscriber);
    p.distributionList->setChecked(!neither && !subscriber);
    p.menu->popup(QCursor::pos());
}

void OwnerRecipientCommands::TabsSetOWnerHandlerDL_Click()
{
    assign(HandlerOwner, false, QStringLiteral("TabsSetOWnerHandlerDL_Click"), QString());
}

void OwnerRecipientCommands::TabsSetOwnerHandlerSubscriber_Click()
{
    assign(HandlerOwner, true, QStringLiteral("TabsSetOwnerHandlerSubscriber_Click"),
           QStringLiteral("Error in TabSetOwnerSubscriber- could not find subscriber object for primary call handler:"));
}

void OwnerRecipientCommands::TabsSetHandlerRecipientDistributionList_Click()
{
    assign(HandlerRecipient, false, QStringLiteral("TabsSetHandlerRecipientDistributionList_Click"), QString());
}

void OwnerRecipientCommands::TabsSetHandlerRecipientSubscriber_Click()
{
    assign(HandlerRecipient, true, QStringLiteral("TabsSetHandlerRecipientSubscriber_Click"),
           QStringLiteral("Error in TabSetHandlerRecipientSubscriber- could not find subscriber object for primary call handler:"));
}

void OwnerRecipientCommands::TabsSetOwnerInterviewerDistributionList_Click()
{
    assign(InterviewerOwner, false, QStringLiteral("TabsSetOwnerInterviewerDistributionList_Click"), QString());
}

void OwnerRecipientCommands::TabsSetOwnerInterviewerSubscriber_Click()
{
    assign(InterviewerOwner, true, QStringLiteral("TabsSetOwnerInterviewerSubscriber_Click"),
           QStringLiteral("Error in TabSetOwnerInterviewerSubscriber- could not find subscriber object for primary call handler:"));
}

void OwnerRecipientCommands::TabsSetRecipientInterviewerDistributionList_Click()
{
    assign(InterviewerRecipient, false, QStringLiteral("TabsSetRecipientInterviewerDistributionList_Click"), QString());
}

void OwnerRecipientCommands::TabsSetRecipientInterviewerSubscriber_Click()
{
    assign(InterviewerRecipient, true, QStringLiteral("TabsSetRecipientInterviewerSubscriber_Click"),
           QStringLiteral(
               "Error in TabSetRecipientInterviewerSubscriber- could not find subscriber object for primary call handler:"));
}

void OwnerRecipientCommands::assign(PopupIndex index, bool subscriber, const QString& procedure,
                                    const QString& missingSubscriberMessage)
{
    const Popup& p = m_popups[size_t(index)];
    const QString handler = m_objects.editedId(p.kind);
    if (!m_dialogs || handler.isEmpty())
        return;
    SharedState& state = m_objects.state();
    const DialogOperations::SearchResult picked =
        subscriber ? m_dialogs->frmSubscriberSearch() : m_dialogs->frmDistributionListSearch();
    // A dialog closed by its frame hands back no object either: that is a Cancel.
    if (picked.bCancelHit || picked.strObjectID.isEmpty())
        return;
    // The pick belongs to the handler shown when the button was pressed, and to no other.
    if (m_objects.editedId(p.kind).compare(handler, Qt::CaseInsensitive) != 0)
        return;
    const StepErrors errors(QStringLiteral("Error in ") + procedure + QStringLiteral(": "));

    QString newId = picked.strObjectID;
    QString newName = picked.strDisplayName;
    int newType = 2;
    if (subscriber) {
        // The dialog names the subscriber's own call handler; the subscriber is stored by its own id.
        Recordset& subscribers = state.cache.rsSubscriber;
        bool found = false;
        if (!runStep(state.prompts, errors, [&] {
                subscribers.clearFilter();
                subscribers.moveFirst();
                found = subscribers.find(QStringLiteral("CallHandlerObjectID"), picked.strObjectID);
                if (found) {
                    newId = subscribers.field(QStringLiteral("SubscriberObjectID")).toText();
                    newName = subscribers.field(QStringLiteral("DisplayName")).textOrEmpty();
                }
            }))
            return;
        if (!found) {
            state.prompts.msgBox(missingSubscriberMessage + picked.strObjectID);
            return;
        }
        newType = 1;
    }

    Recordset& rs = m_objects.recordset(p.kind);
    if (!m_objects.write(p.kind, handler, errors, [&] {
            rs.setField(idColumn(p.owner), newId);
            rs.setField(typeColumn(p.owner), newType);
        })) {
        showStored(p, handler);
        return;
    }
    Variant storedType;
    runStepSilently([&] { storedType = rs.field(typeColumn(p.owner)); });
    m_objects.log(p.kind, typeColumn(p.owner), logNumber(storedType));
    if (p.kind == Kind::CallHandler) {
        m_objects.log(p.kind, idColumn(p.owner), newId + QStringLiteral(" Display Name=") + newName);
    } else {
        Variant storedId;
        runStepSilently([&] { storedId = rs.field(idColumn(p.owner)); });
        m_objects.log(p.kind, idColumn(p.owner), storedId);
    }
    p.box->setText(newName);
}

void OwnerRecipientCommands::showStored(const Popup& p, const QString& handler)
{
    RecordsetCache& cache = m_objects.state().cache;
    QString name;
    runStepSilently([&] {
        m_objects.positionOn(p.kind, handler);
        const Variant id = m_objects.recordset(p.kind).field(idColumn(p.owner));
        if (id.isNull())
            return;
        // The lookup moves the subscribers, which stay where the command left them.
        RecordsetPosition subscriber(cache.rsSubscriber, QStringLiteral("SubscriberObjectID"));
        const qint16 kind = GetOwnerObjectType(cache, id.toText());
        if (kind == OwnerObjectType::Subscriber)
            name = cache.rsSubscriber.field(QStringLiteral("DisplayName")).textOrEmpty();
        else if (kind == OwnerObjectType::DistributionList)
            name = cache.rsDistributionList.field(QStringLiteral("DisplayName")).textOrEmpty();
        subscriber.restoreQuietly();
    });
    p.box->setText(name);
}
