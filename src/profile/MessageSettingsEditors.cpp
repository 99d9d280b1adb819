#include "profile/MessageSettingsEditors.h"

#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/Validators.h"
#include "pane/PaneOperations.h"
#include "widgets/FieldValidation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

const QString kMaxMsgLen = QStringLiteral("MaxMsgLen");
const QString kEditMsg = QStringLiteral("EditMsg");
const QString kSendUrgentMsg = QStringLiteral("SendUrgentMsg");
const QString kScheduleObjectName = QStringLiteral("ScheduleObjectName");

QString storedNumberText(const Variant& stored)
{
    return stored.isNull() ? QString() : numberText(stored.toDouble());
}

// The list entry that shows a stored urgency code, as the pane's load chooses it.
QString urgencyText(const Variant& stored)
{
    if (!stored.isNull() && stored.toDouble() == 0)
        return QStringLiteral("Never");
    if (!stored.isNull() && stored.toDouble() == 1)
        return QStringLiteral("Always");
    return QStringLiteral("Ask Caller");
}

} // namespace

MessageSettingsEditors::MessageSettingsEditors(ProfileObjects& objects)
    : m_objects(objects)
{
}

void MessageSettingsEditors::connectTo(const ProfileControls& c)
{
    m_handler = {ProfileObjects::Kind::CallHandler, c.txtHandlerMessagesMaxMessageLength, c.chkHandlerMessagesCanEditMessages,
                 c.cmbHandlerMessagesCanMarkUrgent, c.cmbHandlerProfileSchedule};
    m_subscriber = {ProfileObjects::Kind::Subscriber, c.txtSubscriberMessagesMaxMessageLength,
                    c.chkSubscriberMessagesCanEditMessages, c.cmbSubscriberMessagesCanMarkUrgent, c.cmbSubscriberProfileSchedule};
    FieldValidation& v = m_objects.pane().fieldValidation();
    v.watch(m_handler.maxMessageLength, this, [this](bool& cancel) { txtHandlerMessagesMaxMessageLength_Validate(cancel); });
    v.watch(m_subscriber.maxMessageLength, this, [this](bool& cancel) { txtSubscriberMessagesMaxMessageLength_Validate(cancel); });
    v.watch(m_handler.canEditMessages, this, [this](bool& cancel) { chkHandlerMessagesCanEditMessages_Validate(cancel); });
    v.watch(m_subscriber.canEditMessages, this, [this](bool& cancel) { chkSubscriberMessagesCanEditMessages_Validate(cancel); });
    v.watch(m_handler.canMarkUrgent, this, [this](bool& cancel) { cmbHandlerMessagesCanMarkUrgent_Validate(cancel); });
    v.watch(m_subscriber.canMarkUrgent, this, [this](bool& cancel) { cmbSubscriberMessagesCanMarkUrgent_Validate(cancel); });
    v.watch(m_handler.schedule, this, [this](bool& cancel) { cmbHandlerProfileSchedule_Validate(cancel); });
    v.watch(m_subscriber.schedule, this, [this](bool& cancel) { cmbSubscriberProfileSchedule_Validate(cancel); });
    // Only the listed entries can be chosen: no typed text reaches the handler's row.
    for (QComboBox* list : {m_handler.canMarkUrgent, m_subscriber.canMarkUrgent, m_handler.schedule, m_subscriber.schedule})
        list->setEditable(false);
}

void MessageSettingsEditors::txtHandlerMessagesMaxMessageLength_Validate(bool& Cancel)
{
    maxMessageLength(m_handler, QStringLiteral("The maximum message length must be a number between 0 and 3600 seconds"),
                     QStringLiteral("txtHandlerMessagesMaxMessageLength_Validate"), Cancel);
}

void MessageSettingsEditors::txtSubscriberMessagesMaxMessageLength_Validate(bool& Cancel)
{
    maxMessageLength(m_subscriber, QStringLiteral("The Max message length must be a number between 0 and 3600."),
                     QStringLiteral("txtSubscriberMessagesMaxMessageLength_Validate"), Cancel);
}

void MessageSettingsEditors::chkHandlerMessagesCanEditMessages_Validate(bool&)
{
    canEditMessages(m_handler, QStringLiteral("chkHandlerMessagesCanEditMessages_Validate"));
}

void MessageSettingsEditors::chkSubscriberMessagesCanEditMessages_Validate(bool&)
{
    canEditMessages(m_subscriber, QStringLiteral("chkSubscriberMessagesCanEditMessages_Validate"));
}

void MessageSettingsEditors::cmbHandlerMessagesCanMarkUrgent_Validate(bool&)
{
    canMarkUrgent(m_handler, QStringLiteral("cmbHandlerMessagesCanMarkUrgent_Validate"));
}

void MessageSettingsEditors::cmbSubscriberMessagesCanMarkUrgent_Validate(bool&)
{
    canMarkUrgent(m_subscriber, QStringLiteral("cmbSubscriberMessagesCanMarkUrgent_Validate"));
}

void MessageSettingsEditors::cmbHandlerProfileSchedule_Validate(bool&)
{
    schedule(m_handler, QStringLiteral("cmbHandlerProfileSchedule_Validate"));
}

void MessageSettingsEditors::cmbSubscriberProfileSchedule_Validate(bool&)
{
    schedule(m_subscriber, QStringLiteral("cmbSubscriberProfileSchedule_Validate"));
}

void MessageSettingsEditors::maxMessageLength(const Page& page, const QString& message, const QString& procedure, bool& Cancel)
{
    const QString id = m_objects.editedId(page.kind);
    if (id.isEmpty())
        return;
    QLineEdit* box = page.maxMessageLength;
    const QString text = box->text();
    if (text.isEmpty() || !MyIsNumber(text, 0, 3600)) {
        m_objects.state().prompts.msgBox(message);
        runStepSilently([&] {
            m_objects.positionOn(page.kind, id);
            box->setText(storedNumberText(m_objects.recordset(page.kind).field(kMaxMsgLen)));
        });
        Cancel = true;
        return;
    }
    writeAndLog(page, procedure, kMaxMsgLen, text.trimmed().toInt(), true,
                [box](const Variant& stored) { box->setText(storedNumberText(stored)); });
}

void MessageSettingsEditors::canEditMessages(const Page& page, const QString& procedure)
{
    QCheckBox* box = page.canEditMessages;
    writeAndLog(page, procedure, kEditMsg, box->checkState() == Qt::Checked ? 1 : 0, true,
                [box](const Variant& stored) { box->setChecked(isFlagSet(stored)); });
}

void MessageSettingsEditors::canMarkUrgent(const Page& page, const QString& procedure)
{
    QComboBox* list = page.canMarkUrgent;
    const QString text = list->currentText();
    int code = 2;
    if (text.compare(QLatin1String("Always"), Qt::CaseInsensitive) == 0)
        code = 1;
    else if (text.compare(QLatin1String("Never"), Qt::CaseInsensitive) == 0)
        code = 0;
    writeAndLog(page, procedure, kSendUrgentMsg, code, true,
                [list](const Variant& stored) { list->setCurrentIndex(list->findText(urgencyText(stored))); });
}

void MessageSettingsEditors::schedule(const Page& page, const QString& procedure)
{
    QComboBox* list = page.schedule;
    // A list that shows no schedule (the stored one is not among the schedules) has nothing to
    // write: the stored name stays.
    if (list->currentIndex() < 0)
        return;
    writeAndLog(page, procedure, kScheduleObjectName, list->currentText(), false, [list](const Variant& stored) {
        list->setCurrentIndex(list->findText(stored.textOrEmpty(), Qt::MatchFixedString));
    });
}

void MessageSettingsEditors::writeAndLog(const Page& page, const QString& procedure, const QString& column, const Variant& value,
                                         bool number, const std::function<void(const Variant& stored)>& showStored)
{
    const QString id = m_objects.editedId(page.kind);
    if (id.isEmpty())
        return;
    Recordset& rs = m_objects.recordset(page.kind);
    const StepErrors errors(QStringLiteral("Error in ") + procedure + QStringLiteral(": "));
    m_objects.showsStored(page.kind, id, column, [&](const Variant& stored) {
        return number ? holdsCode(stored, value.toDouble()) : !stored.isNull() && stored.toText() == value.toText();
    });
    if (!m_objects.write(page.kind, id, errors, [&] { rs.setField(column, value); })) {
        runStepSilently([&] {
            m_objects.positionOn(page.kind, id);
            showStored(rs.field(column));
        });
        return;
    }
    Variant stored;
    runStepSilently([&] { stored = rs.field(column); });
    m_objects.log(page.kind, column, number ? logNumber(stored) : stored);
}
