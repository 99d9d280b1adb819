#include "pane/CallHandlerPage.h"

#include "pane/PaneForms.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QVBoxLayout>

CallHandlerPage::CallHandlerPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("CallHandlerPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabHandlerInfo = new FramedTabs(
        "tabHandlerInfo", "frameHandlerInfo",
        {QStringLiteral("Profile"), QStringLiteral("Transfer"), QStringLiteral("Greetings"), QStringLiteral("Messages")}, 4, this);
    layout->addWidget(tabHandlerInfo);

    QFormLayout* profile = formOn(tabHandlerInfo->frame(0));
    cmbHandlerProfileSchedule = addRow(profile, QStringLiteral("Schedule"), new QComboBox, "cmbHandlerProfileSchedule");

    auto* transfer = new QVBoxLayout(tabHandlerInfo->frame(1));
    tabHandlerTransferInfo = new FramedTabs("tabHandlerTransferInfo", "frameHandlerTransferInfo",
                                            {QStringLiteral("Alternate"), QStringLiteral("Standard"), QStringLiteral("Closed")}, 3);
    transfer->addWidget(tabHandlerTransferInfo);
    for (int tab = 0; tab < 3; ++tab) {
        const int rule = kTransferRuleOnTab[size_t(tab)];
        QFormLayout* form = formOn(tabHandlerTransferInfo->frame(tab));
        QComboBox* type = addRow(form, QStringLiteral("Transfer Type:"), new QComboBox, "cmbHandlerTransferType");
        type->setObjectName(QStringLiteral("cmbHandlerTransferType_%1").arg(rule));
        type->addItems({QStringLiteral("Supervised"), QStringLiteral("Release")});
        type->setCurrentIndex(-1);
        cmbHandlerTransferType[size_t(rule)] = type;
    }

    auto* greetings = new QVBoxLayout(tabHandlerInfo->frame(2));
    frameSonotropeHandlerGreeting = new QGroupBox;
    frameSonotropeHandlerGreeting->setObjectName(QStringLiteral("frameSonotropeHandlerGreeting"));
    frameSonotropeHandlerGreeting->setMinimumHeight(60);
    greetings->addWidget(frameSonotropeHandlerGreeting);
    tabHandlerGreetingInfo = new FramedTabs("tabHandlerGreetingInfo", "frameHandlerGreetingInfo",
                                            {QStringLiteral("Standard"), QStringLiteral("Off Hours"), QStringLiteral("Busy"),
                                             QStringLiteral("Alternate"), QStringLiteral("Internal"), QStringLiteral("Error")},
                                            6);
    greetings->addWidget(tabHandlerGreetingInfo);

    // Last on the profile, under every other row.
    lblSACallHandlerJump = addLinkRow(formOn(tabHandlerInfo->frame(0)), QStringLiteral("Open SA web page for this call handler"),
                                      "lblSACallHandlerJump");
}

void CallHandlerPage::tabHandlerInfo_Click(int)
{
    tabHandlerInfo->showSelectedFrame();
    tabHandlerTransferInfo_Click(0);
}

void CallHandlerPage::tabHandlerTransferInfo_Click(int)
{
    tabHandlerTransferInfo->showSelectedFrame();
}
