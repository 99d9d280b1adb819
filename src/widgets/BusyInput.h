#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// While a long procedure runs inside a handler: the windows repaint, but the administrator's
// input reaches only the one control that may stop it (its window's Exit) and that window's close
// box; clicks and keys anywhere else are dropped and other windows stay open, so no other handler
// starts in the middle of this one.
class BusyInput : public QObject {
public:
    explicit BusyInput(QWidget* stopControl);
    ~BusyInput() override;
    BusyInput(const BusyInput&) = delete;
    BusyInput& operator=(const BusyInput&) = delete;

    // Lets pending events run under that rule.
    void letEventsRun();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_stopControl;
};
