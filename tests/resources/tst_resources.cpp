#include "resources/quarnResources.h"
#include "tests/support/quarnTest.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>

namespace {

const QString StyleSheet = QStringLiteral(":/:/qss/QuarnStyle.qss");
const QString Images = QStringLiteral(":/:/images/images/");

struct Required
{
    QString path;
    QSize size;
    bool atLeast = false;
};

QList<Required> requiredImages()
{
    QList<Required> list;
    QFile file(QStringLiteral(QUARN_TEST_DIR "/required_images.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return list;
    const QRegularExpression line(QStringLiteral("^(\\S+)\\s+(>=)?(\\d+)x(\\d+)$"));
    while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch m = line.match(text);
        if (!m.hasMatch()) {
            list.append({text, QSize(), false});
            continue;
        }
        list.append({m.captured(1), QSize(m.captured(3).toInt(), m.captured(4).toInt()),
                     !m.captured(2).isEmpty()});
    }
    return list;
}

QStringList compiledImages()
{
    QStringList names;
    QDirIterator it(QStringLiteral(":/:/images"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next();
    return names;
}

// Where a resource path is used in the sources: path -> "file:line" of its first use, and
// whether the literal continues with computed text (then it only has to start a name).
struct Use
{
    QString where;
    bool prefix = false;
};

QMap<QString, Use> sourceUses()
{
    QMap<QString, Use> uses;
    const QDir root(QStringLiteral(QUARN_SOURCE_DIR));
    const QRegularExpression literal(QStringLiteral(":/:/[A-Za-z0-9_./-]*"));
    const QString ends = QStringLiteral("\"')<; \t\n\\");
    QDirIterator it(root.path(), {"*.cpp", "*.h", "*.ui", "*.qss"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = root.relativeFilePath(path);
        if (relative.startsWith(QLatin1String("build")) || relative.startsWith(QLatin1Char('.')))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        for (int n = 0; n < lines.size(); ++n) {
            const QString& text = lines.at(n);
            auto matches = literal.globalMatch(text);
            while (matches.hasNext()) {
                const QRegularExpressionMatch m = matches.next();
                const int after = m.capturedEnd();
                const bool prefix = after < text.size() && !ends.contains(text.at(after));
                const QString key = m.captured();
                if (!uses.contains(key))
                    uses.insert(key, {QStringLiteral("%1:%2").arg(relative).arg(n + 1), prefix});
            }
        }
    }
    return uses;
}

QColor pixel(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QuarnResources::Init(); }

    void styleSheet_isReadableAndParses()
    {
        QFile file(StyleSheet);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString sheet = QString::fromUtf8(file.readAll());
        QVERIFY(sheet.contains(QLatin1String("QPushButton")));

        // A sheet that does not parse makes the style warn when a widget is polished, and
        // the test guard turns that warning into a failure.
        qApp->setStyleSheet(sheet);
        QPushButton button(QStringLiteral("OK"));
        QRadioButton radio(QStringLiteral("Tone"));
        button.ensurePolished();
        radio.ensurePolished();
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(0xe6, 0xe6, 0xe6));
        qApp->setStyleSheet(QString());
    }

    void styleSheet_usesOnlyTheColoursItNames()
    {
        QFile file(StyleSheet);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString sheet = QString::fromUtf8(file.readAll());
        const int headerEnd = sheet.indexOf(QLatin1String("*/"));
        QVERIFY(sheet.trimmed().startsWith(QLatin1String("/*")) && headerEnd > 0);

        const QRegularExpression colour(QStringLiteral("#[0-9a-fA-F]{6}\\b"));
        auto collect = [&](const QString& text) {
            QSet<QString> found;
            auto it = colour.globalMatch(text);
            while (it.hasNext())
                found.insert(it.next().captured().toLower());
            return found;
        };
        QSet<QString> named = collect(sheet.left(headerEnd));
        QSet<QString> used = collect(sheet.mid(headerEnd));
        QVERIFY2(
            used.subtract(named).isEmpty(),
            qPrintable(QStringLiteral("colours used but not named: ") + used.values().join(' ')));
        QVERIFY2(
            named.subtract(collect(sheet.mid(headerEnd))).isEmpty(),
            qPrintable(QStringLiteral("colours named but unused: ") + named.values().join(' ')));
    }

    // Every resource path written in the sources must exist; guards screens added later too.
    void sourceLiterals_resolve()
    {
        const QMap<QString, Use> uses = sourceUses();
        QVERIFY2(uses.contains(StyleSheet), "the source scan found nothing");
        const QStringList compiled = compiledImages();
        QStringList failures;
        for (auto it = uses.cbegin(); it != uses.cend(); ++it) {
            const QString& path = it.key();
            const QFileInfo info(path);
            bool ok = false;
            if (it->prefix || path.endsWith(QLatin1Char('/'))) {
                ok = info.isDir() ||
                     std::any_of(compiled.cbegin(), compiled.cend(),
                                 [&](const QString& c) { return c.startsWith(path); });
            } else if (info.isDir()) {
                ok = true;
            } else if (path.endsWith(QLatin1String(".qss"))) {
                QFile file(path);
                ok = file.open(QIODevice::ReadOnly | QIODevice::Text) && !file.readAll().isEmpty();
            } else {
                ok = !QImage(path).isNull();
            }
            if (!ok)
                failures << QStringLiteral("%1 (%2)").arg(path, it->where);
        }
        QVERIFY2(failures.isEmpty(),
                 qPrintable(QStringLiteral("missing: ") + failures.join(QLatin1String(", "))));
    }

    void requiredImage_existsWithItsSize_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("atLeast");
        const QList<Required> list = requiredImages();
        QVERIFY(list.size() > 50);
        for (const Required& r : list)
            QTest::newRow(qPrintable(r.path)) << r.path << r.size << r.atLeast;
    }

    void requiredImage_existsWithItsSize()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(bool, atLeast);
        QVERIFY2(size.isValid(), "line of the list not understood");
        const QImage image(path);
        QVERIFY2(!image.isNull(), "missing or not an image");
        if (atLeast)
            QVERIFY(image.width() >= size.width() && image.height() >= size.height());
        else
            QCOMPARE(image.size(), size);
    }

    void compiledImages_areAllListed()
    {
        QSet<QString> listed;
        for (const Required& r : requiredImages())
            listed.insert(r.path);
        QStringList unlisted;
        for (const QString& name : compiledImages()) {
            if (!listed.contains(name))
                unlisted << name;
        }
        QVERIFY2(unlisted.isEmpty(), qPrintable(unlisted.join(QLatin1String(", "))));
    }

    // The bar views draw these pieces at fixed places: bars 10 px into a track, strips every
    // 2 px between a top cap at track + 8 and a bottom cap at track + 178, scales 33 px right
    // of a track. The pieces must meet there.
    void barPieces_fitTheirPlaces()
    {
        const QImage track(Images + QStringLiteral("sliderbar.png"));
        const QImage powerScale(Images + QStringLiteral("power_scale.png"));
        const QImage tripScale(Images + QStringLiteral("threshold_scale"));
        const QImage autoPower(Images + QStringLiteral("auto_pwr.png"));
        const QImage tripMarker(Images + QStringLiteral("threshold_btn_rule2"));
        for (const char* bar : {"power", "rx2", "rx3"}) {
            const QString name = Images + QLatin1String(bar);
            const QImage fill(name + QStringLiteral("_bar_fill.png"));
            const QImage bottom(name + QStringLiteral("_bar_bottom.png"));
            const QImage top(name + QStringLiteral("_bar_top.png"));
            QCOMPARE(fill.height(), 2);
            QCOMPARE(bottom.width(), fill.width());
            QCOMPARE(top.width(), fill.width());
            QVERIFY(10 + fill.width() <= track.width());
            // Top cap at 38, highest strip (166 px bar) at 42; bottom cap at 208.
            QVERIFY(38 + top.height() <= 42);
            QVERIFY(30 + track.height() >= 208 + bottom.height());
        }
        // Bar graph: tracks at 30, 110 and 170; power scale at 63 left of the trip touch
        // area (x >= 90); trip scale at 143 between the RX tracks; auto badge at 10.
        QVERIFY(30 + track.width() <= 63);
        QVERIFY(63 + powerScale.width() <= 90);
        QVERIFY(110 + track.width() <= 143);
        QVERIFY(143 + tripScale.width() <= 170);
        QVERIFY(10 + autoPower.width() <= 30);
        QVERIFY(110 + tripMarker.width() >= 170 + track.width() - 10);
        QVERIFY(110 + tripMarker.width() <= 240);
    }

    // Markers and scales line up with the bar ends: the power marker's line on row 2, the
    // trip marker's on row 6, the auto badge centred on row 9; scale ticks where a bar of
    // 0 and full power (rows 168, 2) or trip level 0 and 10 (rows 84, 1) ends.
    void markersAndScales_lineUpWithBars_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("onLine");
        QTest::addColumn<QPoint>("offLine");

        QTest::newRow("power marker")
            << QStringLiteral("threshold_rule.png") << QPoint(15, 2) << QPoint(15, 0);
        QTest::newRow("trip marker")
            << QStringLiteral("threshold_btn_rule2") << QPoint(15, 6) << QPoint(15, 3);
        QTest::newRow("power scale 0%")
            << QStringLiteral("power_scale.png") << QPoint(1, 168) << QPoint(1, 165);
        QTest::newRow("power scale 100%")
            << QStringLiteral("power_scale.png") << QPoint(1, 2) << QPoint(1, 5);
        QTest::newRow("trip scale 0")
            << QStringLiteral("threshold_scale") << QPoint(1, 84) << QPoint(1, 80);
        QTest::newRow("trip scale 10")
            << QStringLiteral("threshold_scale") << QPoint(1, 1) << QPoint(1, 4);
    }

    void markersAndScales_lineUpWithBars()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, onLine);
        QFETCH(QPoint, offLine);
        const QImage image(Images + name);
        QVERIFY(!image.isNull());
        QVERIFY(pixel(image, onLine.x(), onLine.y()).alpha() > 200);
        QVERIFY(pixel(image, offLine.x(), offLine.y()).alpha() < 60);
    }

    void autoBadge_isCentredOnItsRow()
    {
        const QImage badge(Images + QStringLiteral("auto_pwr.png"));
        int first = -1, last = -1;
        for (int y = 0; y < badge.height(); ++y) {
            if (pixel(badge, badge.width() / 2, y).alpha() > 128) {
                if (first < 0)
                    first = y;
                last = y;
            }
        }
        QCOMPARE((first + last) / 2, 9);
    }

    // A status bar that reaches over the top 20 px of the stack must show no seam there.
    void upperBackground_continuesIntoTheStack()
    {
        const QImage upper = QImage(Images + QStringLiteral("main_backgrd_upper.png"))
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage lower = QImage(Images + QStringLiteral("main_backgrd_lower.png"))
                                 .convertToFormat(QImage::Format_RGB32);
        int worst = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 240; ++x) {
                const QColor a = upper.pixelColor(x, 40 + y), b = lower.pixelColor(x, y);
                worst = std::max({worst, std::abs(a.red() - b.red()),
                                  std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
            }
        }
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    }

    void classificationIcons_differInColour()
    {
        auto meanHue = [](const QString& name) {
            const QImage image(Images + name);
            double hue = 0;
            int n = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.alpha() > 200 && c.hsvSaturation() > 120 && c.hsvHue() >= 0) {
                        const int h = c.hsvHue();
                        hue += h > 300 ? h - 360 : h;
                        ++n;
                    }
                }
            }
            return n ? hue / n : -1000.0;
        };
        const double semiconductor = meanHue(QStringLiteral("semi_conductor_on.png"));
        const double corrosive = meanHue(QStringLiteral("corrosive_yellow.png"));
        QVERIFY(semiconductor > -30 && semiconductor < 20);
        QVERIFY(corrosive > 35 && corrosive < 65);
    }
};

QUARN_GUI_TEST_MAIN(TestResources)
#include "tst_resources.moc"
