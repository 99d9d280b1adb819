#pragma once

#include <memory>

class DialogOperations;
class DisplayNameEditors;
class ExtensionEditors;
class MessageSettingsEditors;
class ObjectListOperations;
class OwnerRecipientCommands;
class PaneOperations;
class ProfileObjects;
class QWidget;
class SharedState;
class TreeOperations;
struct ProfileControls;

// The profile editors of the property pane: display names, extensions, message settings,
// owners and recipients.
class ProfileEditing {
public:
    // The owner and recipient popups belong to the window; without dialogs their commands do
    // nothing.
    ProfileEditing(SharedState& state, PaneOperations& pane, DialogOperations* dialogs, QWidget* window);
    ~ProfileEditing();
    ProfileEditing(const ProfileEditing&) = delete;
    ProfileEditing& operator=(const ProfileEditing&) = delete;

    // The pane's controls, and the tree and object list that follow a change (either may be
    // missing).
    void connectTo(const ProfileControls& controls, TreeOperations* tree, ObjectListOperations* objectList);

    DisplayNameEditors& displayNames() { return *m_displayNames; }
    ExtensionEditors& extensions() { return *m_extensions; }
    MessageSettingsEditors& messageSettings() { return *m_messageSettings; }
    OwnerRecipientCommands& ownersAndRecipients() { return *m_owners; }

private:
    std::unique_ptr<ProfileObjects> m_objects;
    std::unique_ptr<DisplayNameEditors> m_displayNames;
    std::unique_ptr<ExtensionEditors> m_extensions;
    std::unique_ptr<MessageSettingsEditors> m_messageSettings;
    std::unique_ptr<OwnerRecipientCommands> m_owners;
};
