#include "services/rawScreenShot.h"
#include "tests/support/quarnTest.h"

#include <QApplication>

class TestRawScreenShot : public QObject
{
    Q_OBJECT
private slots:
    void noWindow_givesNothing() { QVERIFY(RawScreenShot().GetScreenShot().isNull()); }

    void grabsTheProgramWindow()
    {
        QWidget window;
        window.setFixedSize(240, 320);
        window.setStyleSheet(QStringLiteral("background: #ff00ff"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        RawScreenShot raw;
        const QImage grab = raw.GetScreenShot().toImage();
        QCOMPARE(grab.size(), QSize(240, 320));
        QCOMPARE(grab.pixelColor(120, 160), QColor(0xff, 0x00, 0xff));
    }
};

QUARN_GUI_TEST_MAIN(TestRawScreenShot)
#include "tst_rawScreenShot.moc"
