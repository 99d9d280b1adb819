#include "pane/GreetingLoop.h"

#include "data/LinkDisplay.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "db/RowUpdate.h"
#include "pane/GreetingTab.h"
#include "runtime/ErrorHandling.h"
#include "system/Clock.h"
#include "widgets/PendingEvents.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

// Names already taken are passed over; after this many the repair gives up.
constexpr int kNameAttempts = 100;

// A code shown as a list position: -1 clears the list, a code the list lacks leaves it alone.
void selectPosition(QComboBox* list, const Variant& code)
{
    const qint64 position = code.toInt64();
    if (position == -1)
        list->setCurrentIndex(-1);
    else if (position >= 0 && position < list->count())
        list->setCurrentIndex(int(position));
}

} // namespace

QString RepairGreetingFile(SharedState& state)
{
    Recordset& rules = state.cache.rsMessagingRule;
    QString handlerAlias, greetingAlias;
    if (!runStepSilently([&] {
            handlerAlias = state.cache.rsCallHandler.field(QStringLiteral("Alias")).toText();
            greetingAlias = rules.field(QStringLiteral("Alias")).toText();
        }))
        return QString();

    // The file comes first, under a name no other file has: a row never names a file that is not
    // there, and no greeting's sound is overwritten.
    const QString source = state.environment.programFolder.file(QStringLiteral("empty.wav"));
    QString name, file;
    for (int attempt = 1;; ++attempt) {
        const int number = int(state.random.generateDouble() * 100000);
        name = QStringLiteral("mr_%1_%2_%3.wav").arg(handlerAlias, greetingAlias).arg(number);
        file = localPathFromStored(name, state.StreamFilesPath);
        try {
            state.fileSystem.CopyFile(source, file, false);
            break;
        } catch (const RuntimeError& e) {
            if (e.number() != FileErrorNumber::FileAlreadyExists || attempt >= kNameAttempts)
                return QString();
        }
    }

    // The load decided this write from the row it has just read: that is the reference, not what
    // an earlier showing of the handler marked.
    if (!runStepSilently([&] {
            rules.markShown({QStringLiteral("StreamPath")});
            updateRow(rules, [&] { rules.setField(QStringLiteral("StreamPath"), name); });
        })) {
        runStepSilently([&] { state.fileSystem.DeleteFile(file, true); });
        return QString();
    }
    state.changeLog.LogChange(QStringLiteral("UPDATE"), QStringLiteral("MessagingRule"), greetingAlias,
                              QStringLiteral("CallHandler"), handlerAlias, QStringLiteral("StreamPath"),
                              rules.field(QStringLiteral("StreamPath")));
    return name;
}

void LoadGreetings(SharedState& state, const GreetingLoopPage& page)
{
    Recordset& rules = state.cache.rsMessagingRule;
    const QDateTime now = state.environment.clock.now();
    for (int i = 0; i < GreetingCount; ++i) {
        GreetingTab& tab = *page.greetings[size_t(i)];

        bool missing = true;
        runStepSilently([&] {
            rules.moveFirst();
            rules.find(QStringLiteral("Alias"), QString::fromLatin1(GreetingAlias[size_t(i)]));
            missing = rules.isEOF();
        });
        if (missing) {
            state.prompts.msgBox(QStringLiteral("Error in LoadTabInfo, could not find messaging rule"));
            continue;
        }

        runStepSilently([&] {
            const QString destination = rules.field(QStringLiteral("DestinationObjectID")).textOrEmpty();
            const QString conversation = rules.field(QStringLiteral("ConversationName")).textOrEmpty();
            const qint16 action = rules.field(QStringLiteral("Action")).toInt16();
            tab.afterGreeting->setText(ConstructActionString(state.cache, state.prompts, conversation, action, destination));
        });

        runStepSilently([&] {
            const Variant ignoreDigits = rules.field(QStringLiteral("IgnoreDigits"));
            tab.allowInput->setChecked(!isFlagSet(ignoreDigits));
        });

        // Setting the enabled box runs its handler, which enables or disables the greeting's
        // other controls to match.
        runStepSilently([&] {
            const bool on = isRuleOn(rules.field(QStringLiteral("TimeExpires")), now);
            if (page.kind == EditorPage::CallHandler) {
                if (on) {
                    for (QWidget* w : std::initializer_list<QWidget*>{tab.afterGreeting, tab.allowInput, tab.changeAfterGreeting})
                        w->setEnabled(true);
                    tab.enabled->setChecked(true);
                } else {
                    tab.enabled->setChecked(false);
                    for (QWidget* w : std::initializer_list<QWidget*>{tab.afterGreeting, tab.allowInput, tab.changeAfterGreeting})
                        w->setEnabled(false);
                }
            } else {
                tab.enabled->setChecked(on);
                if (!on)
                    tab.allowInput->setEnabled(false);
            }
        });

        QString path;
        runStepSilently([&] {
            path = rules.field(QStringLiteral("StreamPath")).textOrEmpty();
            if (path.isEmpty())
                path = RepairGreetingFile(state);
        });

        runStepSilently([&] { tab.streamPath->setText(path); });
        runStepSilently([&] { tab.objectId->setText(rules.field(QStringLiteral("MessagingRuleObjectID")).toText()); });

        letPaintEventsRun();

        runStepSilently([&] { selectPosition(tab.source, rules.field(QStringLiteral("PlayWhat"))); });
        runStepSilently([&] { selectPosition(tab.repeat, rules.field(QStringLiteral("Reprompts"))); });

        if (page.tabs->currentIndex() == i && page.clickShownTab)
            runStepSilently([&] { page.clickShownTab(); });
    }
}
