#include "board/board.h"
#include "board/touchCalibration.h"
#include "tests/support/quarnTest.h"
#include "tests/support/smallFileSystem.h"

#include <QFile>
#include <QFileInfo>

#include <random>

namespace {

// The five targets of a 240 x 320 panel, in the order the dialog asks for them.
const QVector<QPointF> kTargets{{24, 32}, {24, 288}, {216, 288}, {216, 32}, {120, 160}};

// A touch controller's view of a screen point: 12-bit readings, the axes a little rotated
// and sheared, plus noise of up to noise readings either way.
QVector<QPointF> readingsOf(const QVector<QPointF>& screen, double noise, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-noise, noise);
    QVector<QPointF> readings;
    for (const QPointF& p : screen)
        readings.append({std::round(180 + 15.8 * p.x() + 0.4 * p.y() + jitter(random)),
                         std::round(3900 - 0.3 * p.x() - 11.9 * p.y() + jitter(random))});
    return readings;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTouchCalibration : public QObject
{
    Q_OBJECT
private slots:
    void fit_landsEveryTargetWithinAPixel_data()
    {
        QTest::addColumn<double>("noise");
        QTest::newRow("exact") << 0.0;
        // Up to a third of a pixel on each axis, as a steady finger gives.
        QTest::newRow("noisy") << 4.0;
    }
    void fit_landsEveryTargetWithinAPixel()
    {
        QFETCH(double, noise);
        for (unsigned seed = 1; seed <= 20; ++seed) {
            const QVector<QPointF> readings = readingsOf(kTargets, noise, seed);
            const std::optional<TouchCalibration> fit = TouchCalibration::Fit(kTargets, readings);
            QVERIFY(fit);
            // Through tslib's own integer arithmetic, as the next start will apply it.
            const TouchCalibration::Record record =
                TouchCalibration::FromRecord(fit->ToRecord())->ToIntegers();
            QCOMPARE(record, fit->ToIntegers());
            QCOMPARE(record[6], 65536);
            for (int i = 0; i < kTargets.size(); ++i) {
                const QPoint landed = ApplyTouchRecord(record, readings[i].toPoint());
                QVERIFY2(qAbs(landed.x() - kTargets[i].x()) <= 1 &&
                             qAbs(landed.y() - kTargets[i].y()) <= 1,
                         qPrintable(QStringLiteral("seed %1 target %2 landed at %3,%4")
                                        .arg(seed)
                                        .arg(i)
                                        .arg(landed.x())
                                        .arg(landed.y())));
            }
        }
    }

    void fit_tapsOnOneLine_fixNoMap()
    {
        const QVector<QPointF> line{{10, 10}, {20, 20}, {30, 30}, {40, 40}, {50, 50}};
        QVERIFY(!TouchCalibration::Fit(kTargets, line));
        QVERIFY(!TouchCalibration::Fit(kTargets, QVector<QPointF>(5, {100, 100})));
        QVERIFY(!TouchCalibration::FromRecord("1 0 0 0 1 0 0"));
        QVERIFY(!TouchCalibration::FromRecord("1 0 0 0 1 0"));
    }

    // The program sees taps through the record in force; the new record must still map the
    // controller's readings, not the old calibration's output.
    void save_composesWithTheRecordInForce()
    {
        Board& board = Board::Get();
        board.PrepareSandbox();
        const QVector<QPointF> raw = readingsOf(kTargets, 0, 1);
        // An old calibration that is off by a shift and a stretch.
        const std::optional<TouchCalibration> old =
            TouchCalibration::Fit({{0, 0}, {0, 300}, {250, 300}, {250, 0}},
                                  {{180, 3900}, {300, 330}, {4130, 230}, {3950, 3800}});
        QVERIFY(old);
        {
            QFile file(board.TouchCalibrationFile());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(old->ToRecord() + "240 320\n");
        }
        QVector<QPointF> seen;
        for (const QPointF& r : raw)
            seen.append(old->Map(r));

        QCOMPARE(board.SaveTouchCalibration(kTargets, seen), Board::TouchCalibrationResult::Saved);
        const std::optional<TouchCalibration> saved =
            TouchCalibration::FromRecord(readFile(board.TouchCalibrationFile()));
        QVERIFY(saved);
        for (int i = 0; i < kTargets.size(); ++i) {
            const QPoint landed = ApplyTouchRecord(saved->ToIntegers(), raw[i].toPoint());
            QVERIFY(qAbs(landed.x() - kTargets[i].x()) <= 1);
            QVERIFY(qAbs(landed.y() - kTargets[i].y()) <= 1);
        }

        // A stray tap far from its target leaves the record as it was.
        const QByteArray before = readFile(board.TouchCalibrationFile());
        QVector<QPointF> stray = kTargets;
        stray[4] = {200, 40};
        QCOMPARE(board.SaveTouchCalibration(kTargets, stray),
                 Board::TouchCalibrationResult::Rejected);
        QCOMPARE(readFile(board.TouchCalibrationFile()), before);
    }

    void fullFlash_keepsTheRecordInForce()
    {
        Board& board = Board::Get();
        SmallFileSystem flash(QFileInfo(board.TouchCalibrationFile()).path(), 16);
        if (!flash.isMounted())
            QSKIP("this machine does not let the test mount a small file system");
        const QByteArray before = "1 0 0 0 1 0 1\n240 320\n";
        {
            QFile file(board.TouchCalibrationFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        QVERIFY(flash.fill());
        // A record lost here would leave a touch screen that cannot be used to mend it.
        QCOMPARE(board.SaveTouchCalibration(kTargets, kTargets),
                 Board::TouchCalibrationResult::NotWritten);
        QCOMPARE(readFile(board.TouchCalibrationFile()), before);
    }
};

QUARN_TEST_MAIN(TestTouchCalibration)
#include "tst_touchCalibration.moc"
