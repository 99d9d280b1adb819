#pragma once

#include "profile/ProfileObjects.h"

#include <QObject>

class QCheckBox;
class QComboBox;
class QLineEdit;
struct ProfileControls;

// A call handler's message settings and schedule, on the call handler page and, for the
// subscriber's own handler, on the subscriber page: each control writes its column when the
// focus leaves it, also when nothing changed.
class MessageSettingsEditors : public QObject {
    Q_OBJECT
public:
    explicit MessageSettingsEditors(ProfileObjects& objects);

    void connectTo(const ProfileControls& controls);

    void txtHandlerMessagesMaxMessageLength_Validate(bool& Cancel);
    void txtSubscriberMessagesMaxMessageLength_Validate(bool& Cancel);
    void chkHandlerMessagesCanEditMessages_Validate(bool& Cancel);
    void chkSubscriberMessagesCanEditMessages_Validate(bool& Cancel);
    void cmbHandlerMessagesCanMarkUrgent_Validate(bool& Cancel);
    void cmbSubscriberMessagesCanMarkUrgent_Validate(bool& Cancel);
    void cmbHandlerProfileSchedule_Validate(bool& Cancel);
    void cmbSubscriberProfileSchedule_Validate(bool& Cancel);

private:
    // One page's controls.
    struct Page {
        ProfileObjects::Kind kind;
        QLineEdit* maxMessageLength = nullptr;
        QCheckBox* canEditMessages = nullptr;
        QComboBox* canMarkUrgent = nullptr;
        QComboBox* schedule = nullptr;
    };

    void maxMessageLength(const Page& page, const QString& message, const QString& procedure, bool& Cancel);
    void canEditMessages(const Page& page, const QString& procedure);
    void canMarkUrgent(const Page& page, const QString& procedure);
    void schedule(const Page& page, const QString& procedure);
    // Writes the column of the page's handler and logs it; a failure restores the control.
    void writeAndLog(const Page& page, const QString& procedure, const QString& column, const Variant& value, bool number,
                     const std::function<void(const Variant& stored)>& showStored);

    ProfileObjects& m_objects;
    Page m_handler{ProfileObjects::Kind::CallHandler};
    Page m_subscriber{ProfileObjects::Kind::Subscriber};
};
