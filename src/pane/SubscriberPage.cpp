#include "pane/SubscriberPage.h"

#include "pane/PaneForms.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QVBoxLayout>

SubscriberPage::SubscriberPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("SubscriberPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabSubscriberDetails = new FramedTabs("tabSubscriberDetails", "frameSubscriberInfo",
                                          {QStringLiteral("Profile"), QStringLiteral("Transfer"), QStringLiteral("Greetings"),
                                           QStringLiteral("Messages"), QStringLiteral("Conversation")},
                                          4, this);
    layout->addWidget(tabSubscriberDetails);

    QFormLayout* profile = formOn(tabSubscriberDetails->frame(0));
    cmbSubscriberProfileSchedule = addRow(profile, QStringLiteral("Schedule"), new QComboBox, "cmbSubscriberProfileSchedule");

    QFormLayout* transfer = formOn(tabSubscriberDetails->frame(1));
    cmbSubscriberTransferType = addRow(transfer, QStringLiteral("Transfer Type:"), new QComboBox, "cmbSubscriberTransferType");
    cmbSubscriberTransferType->addItems({QStringLiteral("Supervised"), QStringLiteral("Release")});
    cmbSubscriberTransferType->setCurrentIndex(-1);

    auto* greetings = new QVBoxLayout(tabSubscriberDetails->frame(2));
    frameSonotropeSubscriberGreeting = new QGroupBox;
    frameSonotropeSubscriberGreeting->setObjectName(QStringLiteral("frameSonotropeSubscriberGreeting"));
    frameSonotropeSubscriberGreeting->setMinimumHeight(60);
    greetings->addWidget(frameSonotropeSubscriberGreeting);
    tabSubscriberGreetings = new FramedTabs("tabSubscriberGreetings", "frameSubscriberGreetingInfo",
                                            {QStringLiteral("Standard"), QStringLiteral("Off Hours"), QStringLiteral("Busy"),
                                             QStringLiteral("Alternate"), QStringLiteral("Internal"), QStringLiteral("Error")},
                                            6);
    greetings->addWidget(tabSubscriberGreetings);

    // Last on the profile, under every other row.
    lblSASubscriberJump = addLinkRow(formOn(tabSubscriberDetails->frame(0)), QStringLiteral("Open SA web page for this subscriber"),
                                     "lblSASubscriberJump");
}

void SubscriberPage::tabSubscriberDetails_Click(int)
{
    tabSubscriberDetails->showSelectedFrame();
}
