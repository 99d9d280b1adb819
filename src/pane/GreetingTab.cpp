#include "pane/GreetingTab.h"

#include "pane/PaneForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

const GreetingTabNames GreetingTabNames::CallHandler = {
    "txtHandlerGreetingsAfterGreetingAction",
    "cmbHandlerGreetingChangeAfterGreetingAction",
    "chkHandlerGreetingEnabled",
    "chkHandlerGreetingAllowUserInput",
    "txtHandlerGreetingStreamPath",
    "txtHandlerGreetingObjectID",
    "cmbHandlerGreetingSource",
    "cmbHandlerGreetingRepeat",
    "Hidden Object ID Box",
};

const GreetingTabNames GreetingTabNames::Subscriber = {
    "txtSubscriberGreetingAfterGreetingAction",
    "cmdSubscriberGreetingChangeAfterGreetingAction",
    "chkSubscriberGreetingEnabled",
    "chkSubscriberGreetingAllowInput",
    "txtSubscriberGreetingStreamPath",
    "txtSubscriberGreetingObjectID",
    "cmbSubscriberGreetingSource",
    "cmbSubscriberGreetingsRepeat",
    "GreetingObjectID",
};

namespace {

QStringList repeatItems()
{
    QStringList items{QStringLiteral("0 times (play once)"), QStringLiteral("1 time")};
    for (int n = 2; n <= 9; ++n)
        items << QStringLiteral("%1 times").arg(n);
    return items;
}

} // namespace

GreetingTab::GreetingTab(const GreetingTabNames& names, int index, QWidget* frame)
    : QWidget(frame)
{
    auto* outer = new QVBoxLayout(frame);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(this);
    auto* form = new QFormLayout(this);

    afterGreeting = namedElement(new QLineEdit, names.afterGreeting, index);
    afterGreeting->setReadOnly(true);
    changeAfterGreeting = namedElement(new QPushButton(QStringLiteral("Set")), names.changeAfterGreeting, index);
    auto* action = new QHBoxLayout;
    action->addWidget(afterGreeting, 1);
    action->addWidget(changeAfterGreeting);
    auto* actionLabel = new QLabel(QStringLiteral("After Greeting Action:"));
    actionLabel->setBuddy(afterGreeting);
    form->addRow(actionLabel, action);

    enabled = addElementRow(form, QStringLiteral("Enabled:"), new QCheckBox, names.enabled, index);
    // The standard and error greetings are always on as far as this page goes.
    if (index == 0 || index == GreetingCount - 1) {
        enabled->setChecked(true);
        form->setRowVisible(enabled, false);
    }

    allowInput = addElementRow(form, QStringLiteral("Allow User Input:"), new QCheckBox, names.allowInput, index);
    source = addElementRow(form, QStringLiteral("Greeting Source:"), new QComboBox, names.source, index);
    source->addItems({QStringLiteral("System"), QStringLiteral("Recording"), QStringLiteral("Blank")});
    source->setCurrentIndex(-1);
    repeat = addElementRow(form, QStringLiteral("Repeat Greeting:"), new QComboBox, names.repeat, index);
    repeat->addItems(repeatItems());
    repeat->setCurrentIndex(-1);

    // Kept for the editors and the sound binding; never shown.
    streamPath = namedElement(new QLineEdit(this), names.streamPath, index);
    streamPath->setVisible(false);
    objectId = namedElement(new QLineEdit(this), names.objectId, index);
    objectId->setVisible(false);
    objectId->setText(QString::fromLatin1(names.objectIdBeforeLoad));
}

void GreetingTab::clear()
{
    afterGreeting->clear();
    enabled->setChecked(false);
    // A cleared greeting is off, whatever the box showed before: its controls follow.
    for (QWidget* w : std::initializer_list<QWidget*>{afterGreeting, changeAfterGreeting, allowInput, source, repeat})
        w->setEnabled(false);
    allowInput->setChecked(false);
    source->setCurrentIndex(-1);
    repeat->setCurrentIndex(-1);
    streamPath->clear();
    objectId->clear();
}

GreetingControls GreetingTab::controls() const
{
    return {enabled, allowInput, source, repeat, afterGreeting, changeAfterGreeting, streamPath, objectId};
}

GreetingPageControls greetingPageControls(QTabWidget* tabs, const std::array<GreetingTab*, GreetingCount>& greetings)
{
    GreetingPageControls page;
    page.tabs = tabs;
    for (int i = 0; i < GreetingCount; ++i) {
        GreetingTab* tab = greetings[size_t(i)];
        page.frames[size_t(i)] = tab->parentWidget();
        page.greetings[size_t(i)] = tab->controls();
    }
    return page;
}
