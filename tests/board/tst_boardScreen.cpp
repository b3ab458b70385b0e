#include "board/boardScreen.h"
#include "tests/support/quarnTest.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabletEvent>

// A single-touch screen's touches arrive as tablet events (Qt's evdev tablet handler),
// which no widget takes and the framebuffer platform turns into nothing.
class TestBoardScreen : public QObject
{
    Q_OBJECT
private slots:
    void tabletTouch_pressesAndClicksLikeAFinger()
    {
        BoardScreen::TakeTabletAsMouse(*qApp);
        QWidget window;
        window.resize(240, 320);
        QPushButton button(&window);
        button.setGeometry(20, 20, 100, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy pressed(&button, &QAbstractButton::pressed);
        QSignalSpy clicked(&button, &QAbstractButton::clicked);

        // As Qt delivers them: to the window, which hands them to its widgets.
        const auto touch = [&window](QEvent::Type type, QPointF at, Qt::MouseButton changed,
                                     Qt::MouseButtons down) {
            QTabletEvent tablet(type, at, window.mapToGlobal(at.toPoint()), QTabletEvent::Stylus,
                                QTabletEvent::UnknownPointer, 1, 0, 0, 0, 0, 0, Qt::NoModifier, 1,
                                changed, down);
            QCoreApplication::sendEvent(window.windowHandle(), &tablet);
            return tablet.isAccepted();
        };
        QVERIFY(touch(QEvent::TabletPress, {60, 50}, Qt::LeftButton, Qt::LeftButton));
        QCOMPARE(pressed.count(), 1);
        touch(QEvent::TabletMove, {62, 51}, Qt::NoButton, Qt::LeftButton);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(touch(QEvent::TabletRelease, {62, 51}, Qt::LeftButton, Qt::NoButton));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(clicked.count(), 1);
    }
};

QUARN_TEST_MAIN_APP(QApplication, TestBoardScreen, )
#include "tst_boardScreen.moc"
