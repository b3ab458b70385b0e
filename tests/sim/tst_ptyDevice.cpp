#include "sim/ptyDevice.h"
#include "tests/support/quarnTest.h"

#include <QSerialPort>
#include <QSignalSpy>

class TestPtyDevice : public QObject
{
    Q_OBJECT
private slots:
    void writesWithoutListener_areDropped_thenFlowOnceTheLineIsOpen()
    {
        PtyDevice pty;
        QVERIFY(pty.openPty());
        QVERIFY(pty.slaveName().startsWith('/'));
        QCOMPARE(pty.write("stale"), qint64(5));
        QCOMPARE(pty.unheardWrites(), 1);

        QSignalSpy listener(&pty, &PtyDevice::listenerChanged);
        QSerialPort port(pty.slaveName());
        QVERIFY(port.open(QIODevice::ReadWrite));
        QVERIFY(listener.wait(2000));
        QCOMPARE(listener.at(0).at(0).toBool(), true);

        // Nothing stale reaches the program; both directions carry 8-bit data unchanged.
        const QByteArray frame("\x82\x8A\x45\x48\xFF\x00\x00\x00", 8);
        pty.write(frame);
        QTRY_COMPARE(port.bytesAvailable(), qint64(frame.size()));
        QCOMPARE(port.readAll(), frame);
        QSignalSpy readable(&pty, &QIODevice::readyRead);
        port.write(frame);
        QVERIFY(readable.wait(2000));
        QCOMPARE(pty.readAll(), frame);

        port.close();
        QTRY_COMPARE(listener.count(), 2);
        QCOMPARE(listener.at(1).at(0).toBool(), false);
        pty.write("late");
        QCOMPARE(pty.unheardWrites(), 2);
    }
};

QUARN_TEST_MAIN(TestPtyDevice)
#include "tst_ptyDevice.moc"
