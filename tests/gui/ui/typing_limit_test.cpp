#include "ui/typing_limit.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TypingLimitTest : public ::testing::Test {
protected:
    TypingLimitTest() { ui::limitTyping(&edit, 15); }

    QLineEdit edit;
};

TEST_F(TypingLimitTest, TypingStopsAtTheLimit) {
    QTest::keyClicks(&edit, "192.168.100.2000");
    EXPECT_EQ(edit.text(), "192.168.100.200");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, "12");
    EXPECT_EQ(edit.text(), "192.168.100.201");
}

TEST_F(TypingLimitTest, ALongerTextOfTheProgramIsShownInFullAndCanOnlyBeShortened) {
    edit.setText("not configurable");
    EXPECT_EQ(edit.text(), "not configurable");
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_EQ(edit.text(), "not configurable");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "not configurabl");
    QTest::keyClick(&edit, Qt::Key_E);
    EXPECT_EQ(edit.text(), "not configurabl");
}

} // namespace
