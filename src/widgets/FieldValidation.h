#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;
class UserPrompts;

// The Validate event of a window's fields: the handler of a control runs when the focus is about
// to leave that control for another control of the same window (not when code sets the
// control, nor when another window takes the focus), and setting Cancel keeps the focus in it.
// One object serves a whole window, so that putting the focus back does not validate the control
// the focus had briefly reached.
class FieldValidation : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(bool& Cancel)>;

    explicit FieldValidation(UserPrompts& prompts, QObject* parent = nullptr);

    // The control's handler, run through the slot guard while the context lives; one per control.
    void watch(QWidget* control, QObject* context, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    UserPrompts& m_prompts;
    struct Watch {
        QPointer<QObject> context;
        Handler handler;
    };
    QHash<QObject*, Watch> m_handlers;
    bool m_busy = false;
};
