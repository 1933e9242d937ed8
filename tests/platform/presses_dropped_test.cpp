// While the program waits inside a handler of its own, what the operator
// presses at that level is dropped; releases, closes and a box's own loop
// go through.

#include "platform/presses_dropped.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Counts the key releases a widget gets.
class Releases final : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyRelease)
            ++count;
        return false;
    }
};

struct Presses : ::testing::Test {
    void SetUp() override
    {
        QObject::connect(&button, &QPushButton::clicked, [this] { ++clicks; });
        edit.installEventFilter(&releases);
        edit.show();
        button.show();
    }
    QLineEdit edit;
    QPushButton button{QStringLiteral("Write")};
    Releases releases;
    int clicks = 0;
};

TEST_F(Presses, KeysAndClicksAreDroppedWhileHeldReleasesAndClosesGoThrough)
{
    {
        const platform::PressesDropped held;
        QTest::keyClicks(&edit, QStringLiteral("abc"));
        QTest::mouseClick(&button, Qt::LeftButton);
        EXPECT_EQ(edit.text(), QString()) << "a key reached the window";
        EXPECT_EQ(clicks, 0) << "a click reached the window";
        EXPECT_EQ(releases.count, 3) << "a release was dropped: a key pressed before would stay held";
        button.close();
        EXPECT_FALSE(button.isVisible()) << "a close was dropped";
    }
    QTest::keyClicks(&edit, QStringLiteral("d"));
    EXPECT_EQ(edit.text(), QStringLiteral("d")) << "keys stay dropped after the wait";
}

// A box opened inside the wait runs a loop of its own and takes its input.
TEST_F(Presses, ALoopInsideTheWaitTakesItsInput)
{
    const platform::PressesDropped held;
    QEventLoop box;
    QTimer::singleShot(0, &box, [&] {
        QTest::keyClicks(&edit, QStringLiteral("x"));
        QTest::mouseClick(&button, Qt::LeftButton);
        box.quit();
    });
    box.exec();
    EXPECT_EQ(edit.text(), QStringLiteral("x"));
    EXPECT_EQ(clicks, 1);
}

}  // namespace
