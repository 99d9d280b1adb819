#pragma once

#include "pane/FramedTabs.h"
#include "pane/PaneOperations.h"

#include <array>
#include <functional>
#include <optional>
#include <vector>

class CallHandlerPage;
class DirectoryHandlerPage;
class FieldValidation;
class GreetingOperations;
class InterviewerPage;
class LeafPage;
class PaneSection;
class QGroupBox;
class QLabel;
class SharedState;
class SubscriberPage;
class TreeOperations;

// The tabbed property pane `tabInfoTab`: one page per kind of object over `frameMainTab`(0) to
// (3), the directory handler's tab control on tab 4.
class PropertyPane : public FramedTabs, public PaneOperations {
    Q_OBJECT
public:
    enum Tab { SubscriberTab = 0, CallHandlerTab = 1, InterviewerTab = 2, LeafTab = 3, DirectoryHandlerTab = 4 };

    explicit PropertyPane(SharedState& state, QWidget* parent = nullptr);
    ~PropertyPane() override;

    // The window's label that names the shown object.
    void setCurrentObjectLabel(QLabel* label) { lblCurrentObjectDisplayName = label; }
    // The load of a page's objects; not owned.
    void setSection(Tab tab, PaneSection* section) { m_sections[size_t(tab)] = section; }
    // Makes a section the load of its page while it lives: the pages that outlive it load
    // nothing through it.
    class SectionAttachment {
    public:
        SectionAttachment(PropertyPane& pane, Tab tab, PaneSection& section);
        ~SectionAttachment();
        SectionAttachment(const SectionAttachment&) = delete;
        SectionAttachment& operator=(const SectionAttachment&) = delete;

    private:
        PropertyPane& m_pane;
        Tab m_tab;
    };
    // The tree's current row text, which the leaf section shows.
    void setCurrentRowText(std::function<QString()> text) { m_currentRowText = std::move(text); }
    // The tree whose expand-all walk no load interrupts; not owned.
    void setTree(const TreeOperations* tree) { m_tree = tree; }
    void setGreetingOperations(GreetingOperations* greetings) override;
    // The caption of the window's label that names the shown object.
    void setCurrentObjectName(const QString& name);

    void PopulateControls() override;
    void LoadTabInfo(const QString& strObjectID, qint16 iObjectType) override;
    bool ShowNodeTypeTab(qint16 nodeType) override;
    bool LoadInProgress() const override { return m_loading > 0; }
    void ShowDirectoryHandlerTabs() override;
    void CreateMediaControl(MediaControl which) override;
    SonotropeCtrl* mediaControl(MediaControl which) const override;
    void addMediaControlListener(MediaControlListener listener) override;
    GreetingPageControls handlerGreetingControls() const override;
    GreetingPageControls subscriberGreetingControls() const override;
    HandlerTransferControls handlerTransferControls() const override;
    TransferRuleControls subscriberTransferControls() const override;
    ProfileControls profileControls() const override;
    QLineEdit* linkBox(const QString& selector) const override;
    std::vector<ChooseActionButton> chooseActionButtons() const override;
    InterviewQuestionControls interviewQuestionControls() const override;
    void ReloadInterviewQuestions() override;
    QString ShownCallHandlerID(EditorPage page) const override;
    QString ShownInterviewHandlerID() const override { return shownObjectID(InterviewerTab); }
    QString ShownDirectoryHandlerID() const override { return shownObjectID(DirectoryHandlerTab); }
    bool ShownObject(QString& strObjectID, qint16& iObjectType) const override;
    FieldValidation& fieldValidation() override { return *m_fieldValidation; }

    void tabInfoTab_Click(int PreviousTab);
    // Stops the three media controls, each failure passed over.
    void stopMediaControls();

    SubscriberPage& subscriberPage() const { return *m_subscriber; }
    CallHandlerPage& callHandlerPage() const { return *m_callHandler; }
    InterviewerPage& interviewerPage() const { return *m_interviewer; }
    LeafPage& leafPage() const { return *m_leaf; }
    DirectoryHandlerPage& directoryHandlerPage() const { return *m_directoryHandler; }

    // The node type's tab, -1 when it has none.
    static int tabOf(qint16 nodeType);

    // Marks a load for its whole extent, however it ends; loads may nest.
    class LoadScope {
    public:
        explicit LoadScope(PropertyPane& pane);
        ~LoadScope();
        LoadScope(const LoadScope&) = delete;
        LoadScope& operator=(const LoadScope&) = delete;

    private:
        PropertyPane& m_pane;
    };

private:
    void clearPage(Tab tab);
    void loadSection(Tab tab, const QString& strObjectID, bool stopFirst);
    void loadLeaf(const QString& action);
    void loadObject(const QString& strObjectID, qint16 iObjectType);
    void runPendingLoad();
    QString shownObjectID(Tab tab) const;
    void fillFixedLists();

    SharedState& m_state;
    const TreeOperations* m_tree = nullptr;
    QLabel* lblCurrentObjectDisplayName = nullptr;
    SubscriberPage* m_subscriber;
    CallHandlerPage* m_callHandler;
    InterviewerPage* m_interviewer;
    LeafPage* m_leaf;
    DirectoryHandlerPage* m_directoryHandler;
    std::array<PaneSection*, 5> m_sections{};
    std::array<SonotropeCtrl*, MediaControlCount> m_mediaControls{};
    std::function<QString()> m_currentRowText;
    std::vector<MediaControlListener> m_mediaControlListeners;
    FieldValidation* m_fieldValidation;
    QMetaObject::Connection m_greetingTabClick;
    QMetaObject::Connection m_subscriberGreetingTabClick;
    int m_loading = 0;
    struct PendingLoad {
        QString strObjectID;
        qint16 iObjectType;
    };
    std::optional<PendingLoad> m_pendingLoad;
};
