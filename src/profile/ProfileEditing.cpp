#include "profile/ProfileEditing.h"

#include "profile/DisplayNameEditors.h"
#include "profile/ExtensionEditors.h"
#include "profile/MessageSettingsEditors.h"
#include "profile/OwnerRecipientCommands.h"
#include "profile/ProfileObjects.h"

ProfileEditing::ProfileEditing(SharedState& state, PaneOperations& pane, DialogOperations* dialogs, QWidget* window)
    : m_objects(std::make_unique<ProfileObjects>(state, pane)),
      m_displayNames(std::make_unique<DisplayNameEditors>(*m_objects)),
      m_extensions(std::make_unique<ExtensionEditors>(*m_objects)),
      m_messageSettings(std::make_unique<MessageSettingsEditors>(*m_objects)),
      m_owners(std::make_unique<OwnerRecipientCommands>(*m_objects, dialogs, window))
{
}

ProfileEditing::~ProfileEditing() = default;

void ProfileEditing::connectTo(const ProfileControls& controls, TreeOperations* tree, ObjectListOperations* objectList)
{
    m_objects->connectTo(tree, objectList);
    m_displayNames->connectTo(controls);
    m_extensions->connectTo(controls);
    m_messageSettings->connectTo(controls);
    m_owners->connectTo(controls);
}
