#include "profile/DisplayNameEditors.h"

#include "data/SharedState.h"
#include "data/Validators.h"
#include "pane/PaneOperations.h"
#include "widgets/FieldValidation.h"

#include <QLineEdit>

namespace {

const QString kTextName = QStringLiteral("TextName");

} // namespace

DisplayNameEditors::DisplayNameEditors(ProfileObjects& objects)
    : m_objects(objects)
{
}

void DisplayNameEditors::connectTo(const ProfileControls& controls)
{
    m_handlerName = controls.txtHandlerProfileDisplayName;
    m_directoryHandlerName = controls.txtDirectoryHandlerDisplayName;
    m_interviewerName = controls.txtInterviewerDisplayName;
    FieldValidation& validation = m_objects.pane().fieldValidation();
    validation.watch(m_handlerName, this, [this](bool& cancel) { txtHandlerProfileDisplayName_Validate(cancel); });
    validation.watch(m_directoryHandlerName, this, [this](bool& cancel) { txtDirectoryHandlerDisplayName_Validate(cancel); });
    validation.watch(m_interviewerName, this, [this](bool& cancel) { txtInterviewerDisplayName_Validate(cancel); });
}

void DisplayNameEditors::txtHandlerProfileDisplayName_Validate(bool&)
{
    validate(ProfileObjects::Kind::CallHandler, m_handlerName, QStringLiteral("txtHandlerProfileDisplayName_Validate"));
}

void DisplayNameEditors::txtDirectoryHandlerDisplayName_Validate(bool&)
{
    validate(ProfileObjects::Kind::DirectoryHandler, m_directoryHandlerName,
             QStringLiteral("txtDirectoryHandlerDisplayName_Validate"));
}

void DisplayNameEditors::txtInterviewerDisplayName_Validate(bool&)
{
    validate(ProfileObjects::Kind::Interviewer, m_interviewerName, QStringLiteral("txtInterviewerDisplayName_Validate"));
}

// The focus always moves on: a refused name is replaced by the stored one.
void DisplayNameEditors::validate(ProfileObjects::Kind kind, QLineEdit* box, const QString& procedure)
{
    const QString id = m_objects.editedId(kind);
    if (id.isEmpty())
        return;
    SharedState& state = m_objects.state();
    Recordset& rs = m_objects.recordset(kind);
    const StepErrors errors(QStringLiteral("Error in ") + procedure + QStringLiteral(": "));
    auto showStored = [&] {
        runStep(state.prompts, errors, [&] {
            m_objects.positionOn(kind, id);
            box->setText(rs.field(kTextName).textOrEmpty());
        });
    };

    const QString name = box->text().trimmed();
    box->setText(name);
    if (!myIsValidNameField(name)) {
        state.prompts.msgBox(QStringLiteral("The display name cannot be empty and can contain only letters, numbers, spaces, "
                                            "dashes and commas"));
        showStored();
        return;
    }

    // The interview handler's name is written only when it differs in more than letter case.
    bool write = true;
    if (kind == ProfileObjects::Kind::Interviewer && !runStep(state.prompts, errors, [&] {
            m_objects.positionOn(kind, id);
            write = rs.field(kTextName).textOrEmpty().compare(name, Qt::CaseInsensitive) != 0;
        }))
        return;
    m_objects.showsStored(kind, id, kTextName,
                          [&](const Variant& stored) { return !write || (!stored.isNull() && stored.toText() == name); });
    if (write) {
        if (!m_objects.write(kind, id, errors, [&] { rs.setField(kTextName, name); })) {
            // The refusal has read the row again: the name another program stored shows wherever
            // the object does.
            showStored();
            m_objects.redraw(kind, id, kind != ProfileObjects::Kind::Interviewer);
            return;
        }
        m_objects.log(kind, kTextName, rs.field(kTextName));
    }
    m_objects.redraw(kind, id, kind != ProfileObjects::Kind::Interviewer);
}
