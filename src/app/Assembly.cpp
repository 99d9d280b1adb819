#include "app/Assembly.h"

#include "actions/ActionEditing.h"
#include "data/SharedState.h"
#include "environment/EnvironmentServices.h"
#include "greetings/GreetingAudio.h"
#include "greetings/GreetingSettings.h"
#include "greetings/InterviewQuestionList.h"
#include "greetings/RecordCommands.h"
#include "greetings/TransferRuleHandlers.h"
#include "greetings/TransferRuleSave.h"
#include "greetings/TransferRuleValidation.h"
#include "mainwindow/frmMain.h"
#include "pane/CallHandlerSection.h"
#include "pane/DirectoryHandlerSection.h"
#include "pane/InterviewerSection.h"
#include "pane/PropertyPane.h"
#include "pane/SubscriberSection.h"
#include "profile/ProfileEditing.h"
#include "tree/CallFlowTree.h"
#include "tree/FindExtension.h"
#include "tree/ObjectListPage.h"
#include "tree/ReferencesPanel.h"
#include "tree/TreeDisplayCommands.h"
#include "tree/TreeEvents.h"
#include "tree/TreeExport.h"
#include "tree/TreeRowModel.h"
#include "widgets/Named.h"
#include "widgets/OutlineGrid.h"
#include "widgets/OutlineGridView.h"

Assembly::Assembly(SharedState& state, DialogOperations* dialogs)
    : m_treeGrid(std::make_unique<OutlineGrid>()),
      m_environment(std::make_unique<EnvironmentServices>(state)),
      m_window(std::make_unique<frmMain>(state))
{
    m_treeView = named(new OutlineGridView(*m_treeGrid), "ATTree");
    m_window->hostTreeView(m_treeView);
    m_objectList = new ObjectListPage(state);
    m_window->hostObjectList(m_objectList);
    m_pane = new PropertyPane(state);
    m_window->hostPropertyPane(m_pane);
    m_references = new ReferencesPanel(state, *m_treeGrid);
    m_window->hostReferences(m_references);

    m_tree = std::make_unique<CallFlowTree>(state, *m_treeGrid, m_window->displayOptions(), m_window.get(), m_treeView);
    m_treeEvents = std::make_unique<TreeEvents>(state, *m_treeGrid, *m_treeView, *m_tree);
    m_actions = std::make_unique<ActionEditing>(state, *m_treeGrid, m_window.get());
    m_treeEvents->connectTo(m_pane, m_references, m_actions.get(), m_window.get());
    m_references->connectTo(m_window->showReferencesOption(), m_tree.get(), m_window.get());
    m_objectList->connectTo(m_tree.get(), m_pane, m_references, m_window.get(), dialogs);
    m_treeCommands = std::make_unique<TreeDisplayCommands>(state, *m_treeGrid, *m_tree);
    m_treeCommands->connectTo(m_window->treeCommandItems(), m_treeEvents.get(), m_objectList, m_window.get(), dialogs,
                              m_window.get());
    LinkRefresh::Parts linkParts;
    linkParts.grid = m_treeGrid.get();
    linkParts.tree = m_tree.get();
    linkParts.selection = m_treeEvents.get();
    linkParts.pane = m_pane;
    linkParts.window = m_window.get();
    linkParts.objectList = m_objectList;
    linkParts.options = m_window->displayOptions();
    m_actions->connectTo(linkParts, m_treeCommands.get());
    m_actions->setDialogs(dialogs);
    m_pane->setTree(m_tree.get());
    m_pane->setCurrentObjectLabel(m_window->currentObjectLabel());
    OutlineGrid& grid = *m_treeGrid;
    m_pane->setCurrentRowText([&grid] { return grid.row() >= 0 ? grid.cellText(grid.row(), TreeColumn::Main) : QString(); });
    m_window->setParts({m_tree.get(), m_objectList, m_references, m_pane, m_environment.get(), dialogs});

    // The editors of the call handler page's greetings and transfer rules, then the section
    // that fills the page (its controls' handlers run while it loads).
    m_greetingAudio = std::make_unique<GreetingAudio>(state, *m_pane);
    m_greetingAudio->connectHandlerPage(m_pane->handlerGreetingControls());
    m_greetingAudio->connectSubscriberPage(m_pane->subscriberGreetingControls());
    m_recordCommands = std::make_unique<RecordCommands>(state, *m_pane);
    m_recordCommands->connectHandlerPage(m_pane->handlerGreetingControls());
    m_recordCommands->connectSubscriberPage(m_pane->subscriberGreetingControls());
    m_recordCommands->connectInterviewerPage(m_pane->interviewQuestionControls());
    m_greetingSettings = std::make_unique<GreetingSettings>(state, *m_pane);
    m_greetingSettings->connectHandlerPage(m_pane->handlerGreetingControls());
    m_greetingSettings->connectSubscriberPage(m_pane->subscriberGreetingControls());
    m_transferRuleSave = std::make_unique<TransferRuleSave>(state, *m_pane);
    m_transferRuleSave->setRules(m_pane->handlerTransferControls(), m_pane->subscriberTransferControls());
    m_transferRuleHandlers = std::make_unique<TransferRuleHandlers>(state, *m_pane, *m_transferRuleSave);
    m_transferRuleHandlers->connectPages();
    m_transferRuleValidation = std::make_unique<TransferRuleValidation>(state, *m_pane, *m_transferRuleSave);
    m_transferRuleValidation->connectPages();
    m_callHandlerSection = std::make_unique<CallHandlerSection>(state, *m_pane, *m_environment, *m_greetingAudio);
    m_subscriberSection = std::make_unique<SubscriberSection>(state, *m_pane, *m_environment, *m_greetingAudio);
    m_interviewQuestionList = std::make_unique<InterviewQuestionList>(state, *m_pane);
    m_interviewQuestionList->connectInterviewerPage(m_pane->interviewQuestionControls());
    m_interviewerSection = std::make_unique<InterviewerSection>(state, *m_pane, *m_environment);
    m_directoryHandlerSection = std::make_unique<DirectoryHandlerSection>(state, *m_pane);
    m_profile = std::make_unique<ProfileEditing>(state, *m_pane, dialogs, m_window.get());
    m_profile->connectTo(m_pane->profileControls(), m_tree.get(), m_objectList);

    // The tree's tools on the window's menus.
    m_treeExport = std::make_unique<TreeExport>(state, *m_treeGrid);
    m_treeExport->connectTo(m_window->exportTreeItem());
    m_findExtension = std::make_unique<FindExtension>(state);
    m_findExtension->connectTo(m_window->findExtensionItem());
}

Assembly::~Assembly() = default;
