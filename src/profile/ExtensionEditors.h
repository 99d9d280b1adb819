#pragma once

#include "profile/ProfileObjects.h"

#include <QObject>
#include <optional>

class QLineEdit;
struct ProfileControls;

// The extension boxes: checked when the focus leaves them (digits only, not in use anywhere in
// the dialing domain), then the object's primary row of the extension table is added, changed
// or deleted, and the tree rows and the object list that show extensions follow.
class ExtensionEditors : public QObject {
    Q_OBJECT
public:
    explicit ExtensionEditors(ProfileObjects& objects);

    void connectTo(const ProfileControls& controls);

    void txtHandlerProfileExtension_Validate(bool& Cancel);
    void txtDirectoryHandlerExtension_Validate(bool& Cancel);
    void txtInterviewerExtension_Validate(bool& Cancel);
    // The subscriber's box is read-only: it acts only when its text differs from the stored
    // extension.
    void txtSubscriberProfileExtension_Validate(bool& Cancel);

private:
    void validate(ProfileObjects::Kind kind, QLineEdit* box, const QString& errorPrefix);
    // The object's primary row of the extension table deleted, added or changed; false when
    // nothing needed writing.
    bool writeExtensionRow(ProfileObjects::Kind kind, const QString& id, const QString& digits);
    // The object's stored extension, the cached objects read again first; none when the object
    // cannot be read (the failure is shown).
    std::optional<Variant> storedExtension(ProfileObjects::Kind kind, const QString& id, const StepErrors& errors);
    // Refuses, as an update of a row changed since it was read does, when the stored extension is
    // not the one the page showed: the extension table's row was read again since.
    void requireShownExtension(ProfileObjects::Kind kind, const QString& id, const Variant& stored);
    // The box shows the stored extension again, read anew from the database.
    void showStored(ProfileObjects::Kind kind, const QString& id, QLineEdit* box, const StepErrors& errors);
    // The box shows the object's stored extension: the next change is judged by it.
    void markStoredShown(ProfileObjects::Kind kind, const QString& id);

    ProfileObjects& m_objects;
    QLineEdit* m_handlerExtension = nullptr;
    QLineEdit* m_directoryHandlerExtension = nullptr;
    QLineEdit* m_interviewerExtension = nullptr;
    QLineEdit* m_subscriberExtension = nullptr;
};
