#include "widgets/FieldValidation.h"

#include "fakes/ScriptedPrompts.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class FieldValidationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        for (QLineEdit* box : {&first, &second, &plain})
            layout->addWidget(box);
        validation.watch(&first, &window, [this](bool& cancel) {
            ++firstRuns;
            cancel = first.text() == "bad";
        });
        validation.watch(&second, &window, [this](bool&) { ++secondRuns; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        first.setFocus();
    }

    ScriptedPrompts prompts;
    FieldValidation validation{prompts};
    QWidget window;
    QLineEdit first, second, plain;
    int firstRuns = 0, secondRuns = 0;
};

TEST_F(FieldValidationTest, LeavingAFieldRunsItsHandlerAndCancelKeepsTheFocus)
{
    first.setText("good");
    EXPECT_EQ(firstRuns, 0) << "setting the text is no leaving";
    second.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(firstRuns, 1);
    EXPECT_TRUE(second.hasFocus());

    first.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(secondRuns, 1);
    first.setText("bad");
    second.setFocus(Qt::TabFocusReason);
    EXPECT_EQ(firstRuns, 2);
    EXPECT_TRUE(first.hasFocus()) << "refused: the focus stays";
    EXPECT_EQ(secondRuns, 1) << "the field the focus only passed through is not validated";
}

TEST_F(FieldValidationTest, AnotherWindowTakingTheFocusIsNoLeaving)
{
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(firstRuns, 0);
}

} // namespace
