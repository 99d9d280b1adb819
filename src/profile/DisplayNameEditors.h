#pragma once

#include "profile/ProfileObjects.h"

#include <QObject>

class QLineEdit;
struct ProfileControls;

// The display-name boxes of call handlers, directory handlers and interview handlers: the name
// is written when the focus leaves the box, and the tree rows that show the object follow.
class DisplayNameEditors : public QObject {
    Q_OBJECT
public:
    explicit DisplayNameEditors(ProfileObjects& objects);

    void connectTo(const ProfileControls& controls);

    void txtHandlerProfileDisplayName_Validate(bool& Cancel);
    void txtDirectoryHandlerDisplayName_Validate(bool& Cancel);
    void txtInterviewerDisplayName_Validate(bool& Cancel);

private:
    void validate(ProfileObjects::Kind kind, QLineEdit* box, const QString& procedure);

    ProfileObjects& m_objects;
    QLineEdit* m_handlerName = nullptr;
    QLineEdit* m_directoryHandlerName = nullptr;
    QLineEdit* m_interviewerName = nullptr;
};
