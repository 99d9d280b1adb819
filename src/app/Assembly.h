#pragma once

#include <memory>

class ActionEditing;
class CallFlowTree;
class CallHandlerSection;
class DialogOperations;
class DirectoryHandlerSection;
class EnvironmentServices;
class FindExtension;
class frmMain;
class GreetingAudio;
class GreetingSettings;
class InterviewerSection;
class InterviewQuestionList;
class ObjectListPage;
class OutlineGrid;
class OutlineGridView;
class ProfileEditing;
class PropertyPane;
class RecordCommands;
class ReferencesPanel;
class SharedState;
class SubscriberSection;
class TransferRuleHandlers;
class TransferRuleSave;
class TransferRuleValidation;
class TreeDisplayCommands;
class TreeEvents;
class TreeExport;

// The whole program on one shared state: the main window with the pages of every subsystem,
// each subsystem handed the operation sets of the others. main() builds one; the window tests
// build the same.
class Assembly {
public:
    // The creation, search and lookup dialogs (main() passes the real ones): without them the
    // commands that open one do nothing. Tests pass a scripted stand-in.
    explicit Assembly(SharedState& state, DialogOperations* dialogs = nullptr);
    ~Assembly();
    Assembly(const Assembly&) = delete;
    Assembly& operator=(const Assembly&) = delete;

    frmMain& window() { return *m_window; }
    CallFlowTree& tree() { return *m_tree; }
    TreeEvents& treeEvents() { return *m_treeEvents; }
    TreeDisplayCommands& treeCommands() { return *m_treeCommands; }
    ObjectListPage& objectList() { return *m_objectList; }
    OutlineGrid& treeGrid() { return *m_treeGrid; }
    PropertyPane& pane() { return *m_pane; }
    ReferencesPanel& references() { return *m_references; }
    ActionEditing& actions() { return *m_actions; }
    InterviewQuestionList& interviewQuestionList() { return *m_interviewQuestionList; }
    ProfileEditing& profile() { return *m_profile; }

private:
    // Declared in the order the constructor builds them, so that each part is destroyed before
    // the parts it was built on: the editors and sections before the pages whose controls they
    // handle, the tree's handlers before the tree, the tree (which lets go of the view's
    // pictures) before the window that takes the view down.
    std::unique_ptr<OutlineGrid> m_treeGrid;
    std::unique_ptr<EnvironmentServices> m_environment;
    std::unique_ptr<frmMain> m_window;
    // Owned by the window once hosted.
    OutlineGridView* m_treeView = nullptr;
    ObjectListPage* m_objectList = nullptr;
    PropertyPane* m_pane = nullptr;
    ReferencesPanel* m_references = nullptr;
    std::unique_ptr<CallFlowTree> m_tree;
    std::unique_ptr<TreeEvents> m_treeEvents;
    std::unique_ptr<ActionEditing> m_actions;
    std::unique_ptr<TreeDisplayCommands> m_treeCommands;
    // The pane's editors and sections; each section fills its page while it lives, the greeting
    // audio runs the greeting tabs while it lives.
    std::unique_ptr<GreetingAudio> m_greetingAudio;
    std::unique_ptr<RecordCommands> m_recordCommands;
    std::unique_ptr<GreetingSettings> m_greetingSettings;
    std::unique_ptr<TransferRuleSave> m_transferRuleSave;
    std::unique_ptr<TransferRuleHandlers> m_transferRuleHandlers;
    std::unique_ptr<TransferRuleValidation> m_transferRuleValidation;
    std::unique_ptr<CallHandlerSection> m_callHandlerSection;
    std::unique_ptr<SubscriberSection> m_subscriberSection;
    std::unique_ptr<InterviewQuestionList> m_interviewQuestionList;
    std::unique_ptr<InterviewerSection> m_interviewerSection;
    std::unique_ptr<DirectoryHandlerSection> m_directoryHandlerSection;
    std::unique_ptr<ProfileEditing> m_profile;
    std::unique_ptr<TreeExport> m_treeExport;
    std::unique_ptr<FindExtension> m_findExtension;
};
