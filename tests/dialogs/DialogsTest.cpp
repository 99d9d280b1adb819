#include "dialogs/Dialogs.h"

#include "dialogs/GetHandlerDialog.h"
#include "fixtures/MainWindowFixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Get Interviewer is kept after a Create, over the main window; at the end of the run the window
// goes first, as it does when main returns, and the dialog is deleted once.
TEST(DialogsTest, AKeptGetInterviewerGoesOnceWithTheWindowItIsShownOver)
{
    MainWindowFixture f;
    f.installEmptyWav(); // the new handler's first question is recorded silence
    ASSERT_TRUE(f.load());
    auto window = std::make_unique<QWidget>();
    auto dialogs = std::make_unique<Dialogs>(*f.state, window.get());
    QTimer whileShown;
    QObject::connect(&whileShown, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<frmMakeNewInterviewer*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        whileShown.stop();
        dialog->tabs->setCurrentIndex(0);
        dialog->txtHandlerName->setText(QStringLiteral("Visitor Survey"));
        dialog->cmdCreateHandler->click();
        if (dialog->isVisible())
            dialog->reject(); // a failed Create must not hang the test
    });
    whileShown.start(10);
    const DialogOperations::GetHandlerResult result = dialogs->frmMakeNewInterviewer();
    EXPECT_FALSE(result.bCancel) << f.prompts.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(window->findChildren<frmMakeNewInterviewer*>().size(), 1) << "kept for the next showing";

    window.reset();
    dialogs.reset();
}

} // namespace
