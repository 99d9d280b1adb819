#pragma once

#include "pane/FramedTabs.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;

// The "Subscriber" page of the property pane.
class SubscriberPage : public QWidget {
    Q_OBJECT
public:
    explicit SubscriberPage(QWidget* parent = nullptr);

    // Switches the frames; tab 4 "Conversation" has none.
    void tabSubscriberDetails_Click(int PreviousTab);

    FramedTabs* tabSubscriberDetails;
    FramedTabs* tabSubscriberGreetings;
    QGroupBox* frameSonotropeSubscriberGreeting;
    QComboBox* cmbSubscriberProfileSchedule;
    QComboBox* cmbSubscriberTransferType;
    QLabel* lblSASubscriberJump;
};
