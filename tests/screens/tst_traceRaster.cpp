#include "screens/traceRaster.h"
#include "tests/support/quarnTest.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QTest>

#include <cmath>

namespace {

// Points on whole pixels, ascending in x by 0 or 1, as the chart maps its samples.
QPolygonF trace(int count, double (*y)(int))
{
    QPolygonF points;
    for (int i = 0; i < count; ++i)
        points << QPointF(qRound(3 + i * 0.535), qRound(y(i)));
    return points;
}

// The ink of a picture over a white ground: 0 where white, 255 where fully the colour.
int ink(QRgb pixel)
{
    return 255 - qGreen(pixel); // the red trace leaves green at 0
}

} // namespace

class TestTraceRaster : public QObject
{
    Q_OBJECT
private slots:
    // A trace looks as Qt's antialiased 2-pixel pen draws it: the same ink, and few pixels
    // off by more than a quarter of full scale (only where steep edges are smoothed
    // otherwise).
    void stroke_looksAsQtDrawsIt_data()
    {
        QTest::addColumn<QPolygonF>("points");
        QTest::addColumn<int>("offPercent"); // of the pixels Qt inks
        QTest::newRow("level") << trace(300, [](int) { return 40.0; }) << 1;
        QTest::newRow("level on the top edge") << trace(300, [](int) { return 0.0; }) << 1;
        QTest::newRow("sine") << trace(300, [](int i) { return 80 - 70 * std::sin(i * 0.05); })
                              << 5;
        QTest::newRow("spike") << trace(300, [](int i) {
            return i > 140 && i < 150 ? 10.0 : 140.0;
        }) << 5;
        // A zig-zag of 12 pixels every half pixel: all steep edges, the worst case.
        QTest::newRow("noise") << trace(300, [](int i) { return 120.0 + (i * 7919 % 13) - 6; })
                               << 15;
        QTest::newRow("one point") << QPolygonF(QVector<QPointF>{QPointF(50, 50)}) << 1;
        QTest::newRow("vertical") << QPolygonF(QVector<QPointF>{QPointF(50, 20), QPointF(50, 120)})
                                  << 1;
    }

    void stroke_looksAsQtDrawsIt()
    {
        QFETCH(QPolygonF, points);
        QFETCH(int, offPercent);
        QImage qt(170, 155, QImage::Format_RGB32);
        qt.fill(Qt::white);
        QImage ours = qt.copy();
        {
            QPainter painter(&qt);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::red, 2));
            if (points.size() == 1)
                painter.drawPoint(points[0]);
            else
                painter.drawPolyline(points);
        }
        std::vector<TraceRaster::Rows> touched(size_t(ours.width()));
        TraceRaster::Stroke(ours, points.constData(), points.size(), Qt::red, 2, touched.data());

        qint64 inkQt = 0;
        qint64 inkOurs = 0;
        int inked = 0;
        int off = 0;
        for (int y = 0; y < qt.height(); ++y) {
            for (int x = 0; x < qt.width(); ++x) {
                const int a = ink(qt.pixel(x, y));
                const int b = ink(ours.pixel(x, y));
                inkQt += a;
                inkOurs += b;
                inked += a > 0;
                off += std::abs(a - b) > 64;
                // Every pixel written lies in the rows reported for its column.
                if (b > 0) {
                    QVERIFY(y >= touched[size_t(x)].first);
                    QVERIFY(y <= touched[size_t(x)].last);
                }
                QCOMPARE(qRed(ours.pixel(x, y)), 255);
            }
        }
        QVERIFY(inked > 0);
        QVERIFY2(std::abs(inkOurs - inkQt) <= inkQt * 8 / 100,
                 qPrintable(QStringLiteral("ink %1 against Qt's %2").arg(inkOurs).arg(inkQt)));
        QVERIFY2(off <= inked * offPercent / 100,
                 qPrintable(QStringLiteral("%1 of %2 pixels off").arg(off).arg(inked)));
    }

    // A see-through pen is laid over what the picture holds, as Qt lays a fill.
    void seeThroughColour_isLaidOverThePicture()
    {
        const QColor yellow(255, 255, 47, 159);
        QImage ours(40, 20, QImage::Format_RGB32);
        ours.fill(QColor(200, 0, 0));
        QImage qt = ours.copy();
        const QPointF level[] = {QPointF(5, 10), QPointF(35, 10)};
        TraceRaster::Stroke(ours, level, 2, yellow, 2);
        QPainter(&qt).fillRect(QRect(4, 9, 32, 2), yellow);
        for (const QPoint& at : {QPoint(20, 9), QPoint(20, 10)}) {
            for (int shift : {16, 8, 0})
                QVERIFY(std::abs(int((ours.pixel(at) >> shift) & 0xff) -
                                 int((qt.pixel(at) >> shift) & 0xff)) <= 1);
        }
        QCOMPARE(ours.pixel(20, 12), qRgb(200, 0, 0));
    }
};

QUARN_GUI_TEST_MAIN(TestTraceRaster)
#include "tst_traceRaster.moc"
