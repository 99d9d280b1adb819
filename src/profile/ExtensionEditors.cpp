#include "profile/ExtensionEditors.h"

#include "data/ExtensionSearch.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "data/Validators.h"
#include "db/RecordsetWriter.h"
#include "db/RowUpdate.h"
#include "pane/PaneOperations.h"
#include "widgets/FieldValidation.h"

#include <QLineEdit>

namespace {

using Kind = ProfileObjects::Kind;

const QString kDTMFAccessID = QStringLiteral("DTMFAccessID");

int parentObjectType(Kind kind)
{
    switch (kind) {
    case Kind::Interviewer:
        return 5;
    case Kind::DirectoryHandler:
        return 6;
    default:
        return 3;
    }
}

// Digits read as a number: no leading zeros, one blank for the sign. Written from the text, so
// that no digit of a long extension is lost.
QString numberFromDigits(const QString& digits)
{
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits.at(first) == QLatin1Char('0'))
        ++first;
    return QLatin1Char(' ') + digits.mid(first);
}

} // namespace

ExtensionEditors::ExtensionEditors(ProfileObjects& objects)
    : m_objects(objects)
{
}

void ExtensionEditors::connectTo(const ProfileControls& controls)
{
    m_handlerExtension = controls.txtHandlerProfileExtension;
    m_directoryHandlerExtension = controls.txtDirectoryHandlerExtension;
    m_interviewerExtension = controls.txtInterviewerExtension;
    m_subscriberExtension = controls.txtSubscriberProfileExtension;
    FieldValidation& validation = m_objects.pane().fieldValidation();
    validation.watch(m_handlerExtension, this, [this](bool& cancel) { txtHandlerProfileExtension_Validate(cancel); });
    validation.watch(m_directoryHandlerExtension, this, [this](bool& cancel) { txtDirectoryHandlerExtension_Validate(cancel); });
    validation.watch(m_interviewerExtension, this, [this](bool& cancel) { txtInterviewerExtension_Validate(cancel); });
    validation.watch(m_subscriberExtension, this, [this](bool& cancel) { txtSubscriberProfileExtension_Validate(cancel); });
}

void ExtensionEditors::txtHandlerProfileExtension_Validate(bool&)
{
    validate(Kind::CallHandler, m_handlerExtension, QStringLiteral("Error in txtHandlerProfileExtension: "));
}

void ExtensionEditors::txtDirectoryHandlerExtension_Validate(bool&)
{
    validate(Kind::DirectoryHandler, m_directoryHandlerExtension, QStringLiteral("Error in txtdirectoryhandlerextension: "));
}

void ExtensionEditors::txtInterviewerExtension_Validate(bool&)
{
    validate(Kind::Interviewer, m_interviewerExtension, QStringLiteral("Error in txtInterviewerExtension_Validate: "));
}

// The digits are taken without the blanks around them before anything else, so the check and
// the search see exactly what is written.
void ExtensionEditors::validate(Kind kind, QLineEdit* box, const QString& errorPrefix)
{
    const QString id = m_objects.editedId(kind);
    if (id.isEmpty())
        return;
    SharedState& state = m_objects.state();
    Recordset& rs = m_objects.recordset(kind);
    const StepErrors errors(errorPrefix);
    const bool listShowsIt = kind != Kind::Interviewer;

    const QString digits = box->text().trimmed();
    box->setText(digits);
    const std::optional<Variant> read = storedExtension(kind, id, errors);
    if (!read)
        return;
    const Variant& stored = *read;
    if (!stored.isNull() && stored.toText() == digits) {
        markStoredShown(kind, id);
        return;
    }

    if (!isValidExtension(state, digits, 0)) {
        box->setText(stored.textOrEmpty());
        markStoredShown(kind, id);
        m_objects.redraw(kind, id, listShowsIt);
        return;
    }
    bool written = false;
    if (!runStep(state.prompts, errors, [&] {
            requireShownExtension(kind, id, stored);
            written = writeExtensionRow(kind, id, digits);
        })) {
        showStored(kind, id, box, errors);
        m_objects.redraw(kind, id, listShowsIt);
        return;
    }
    if (written) {
        // The object's own row shows the extension once read again, and the box shows it.
        runStep(state.prompts, errors, [&] { state.cache.rsDTMFAccessID.requery(); });
        runStep(state.prompts, errors, [&] { rs.requery(); });
        runStep(state.prompts, errors, [&] { m_objects.positionOn(kind, id); });
        markStoredShown(kind, id);
    }
    Variant value;
    runStepSilently([&] { value = rs.field(kDTMFAccessID); });
    m_objects.log(kind, kDTMFAccessID, value);
    m_objects.redraw(kind, id, listShowsIt);
}

bool ExtensionEditors::writeExtensionRow(Kind kind, const QString& id, const QString& digits)
{
    Recordset& extensions = m_objects.state().cache.rsDTMFAccessID;
    const QString parent = QStringLiteral("ParentObjectID");
    const QString primary = QStringLiteral("IsPrimaryID");
    // The object's primary extension only: a second extension of the same object stays.
    extensions.clearFilter();
    extensions.moveFirst();
    bool found = false;
    while (!found && extensions.find(parent, id)) {
        found = isFlagSet(extensions.field(primary));
        if (!found)
            extensions.moveNext();
    }
    if (digits.isEmpty()) {
        if (found)
            extensions.deleteCurrent();
        return found;
    }
    if (found) {
        // The editor has checked the object's shown extension against the database itself.
        updateRow(
            extensions, [&] { extensions.setField(kDTMFAccessID, digits); }, Recordset::Unmarked::Expected);
        return true;
    }
    updateRow(extensions, [&] {
        extensions.addNew();
        extensions.setField(kDTMFAccessID, digits);
        extensions.setField(parent, id);
        extensions.setField(primary, 1);
        extensions.setField(QStringLiteral("ParentObjectIDType"), parentObjectType(kind));
    });
    return true;
}

std::optional<Variant> ExtensionEditors::storedExtension(Kind kind, const QString& id, const StepErrors& errors)
{
    SharedState& state = m_objects.state();
    // The in-use check that follows reads the cached objects: another program may have given the
    // extension out.
    runStepSilently([&] { refreshSearchedObjects(state.cache); });
    Variant stored;
    if (!runStep(state.prompts, errors, [&] {
            m_objects.positionOn(kind, id);
            stored = m_objects.recordset(kind).field(kDTMFAccessID);
        }))
        return std::nullopt;
    return stored;
}

void ExtensionEditors::requireShownExtension(Kind kind, const QString& id, const Variant& stored)
{
    m_objects.positionOn(kind, id);
    if (m_objects.recordset(kind).shownField(kDTMFAccessID) != stored)
        rowCannotBeLocated();
}

void ExtensionEditors::showStored(Kind kind, const QString& id, QLineEdit* box, const StepErrors& errors)
{
    SharedState& state = m_objects.state();
    Recordset& rs = m_objects.recordset(kind);
    // Another connection may have changed the row: the database, not the cache, says what is
    // stored.
    runStepSilently([&] { state.cache.rsDTMFAccessID.requery(); });
    runStepSilently([&] { rs.requery(); });
    runStep(state.prompts, errors, [&] {
        m_objects.positionOn(kind, id);
        box->setText(rs.field(kDTMFAccessID).textOrEmpty());
    });
    markStoredShown(kind, id);
}

void ExtensionEditors::markStoredShown(Kind kind, const QString& id)
{
    m_objects.showsStored(kind, id, kDTMFAccessID);
}

void ExtensionEditors::txtSubscriberProfileExtension_Validate(bool&)
{
    const Kind kind = Kind::Subscriber;
    const QString id = m_objects.editedId(kind);
    if (id.isEmpty())
        return;
    SharedState& state = m_objects.state();
    Recordset& rs = m_objects.recordset(kind);
    QLineEdit* box = m_subscriberExtension;
    const StepErrors errors(QStringLiteral("Error in txtSubscriberProfileExtension_Validate: "));

    const QString digits = box->text().trimmed();
    const std::optional<Variant> read = storedExtension(kind, id, errors);
    if (!read)
        return;
    const Variant& stored = *read;
    // The box shows no extension as the empty text: that is no change.
    if (stored.textOrEmpty() == digits) {
        markStoredShown(kind, id);
        return;
    }

    if (!isValidExtension(state, digits, 3)) {
        box->setText(stored.textOrEmpty());
        m_objects.redraw(kind, id, true);
        return;
    }
    // Written through to the subscriber's primary row of the extension table.
    if (!m_objects.write(kind, id, errors, [&] { rs.setField(kDTMFAccessID, digits); })) {
        showStored(kind, id, box, errors);
        return;
    }
    m_objects.log(kind, kDTMFAccessID, numberFromDigits(digits));
    m_objects.redraw(kind, id, true);
}
