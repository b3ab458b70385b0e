#include "board/board.h"
#include "bus/quarnBus.h"
#include "services/metaScreenShot.h"
#include "settings/adminOptionsSettings.h"
#include "settings/audioModeUserSetting.h"
#include "settings/freqValueUserSetting.h"
#include "settings/operatingModeUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/userSettingsStore.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>

namespace {
const QDateTime kStamp(QDate(2026, 3, 5), QTime(14, 7, 9));

QString folder()
{
    return QuarnTest::SandboxRoot() + QStringLiteral("/card/");
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QImage resourceImage(const char* name)
{
    return QImage(QStringLiteral(":/:/images/images/") + QLatin1String(name))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
} // namespace

class TestMetaScreenShot : public QObject
{
    Q_OBJECT
private:
    QWidget* m_screen = nullptr;
    MetaScreenShot* m_sheet = nullptr;

    QString label(const char* name)
    {
        return m_sheet->findChild<QLabel*>(QLatin1String(name))->text();
    }

private slots:
    void initTestCase()
    {
        UserSettingsStore::Configure();
        QuarnBus::Install(new FakeDevice);
        // What the grab finds: a magenta window of the panel's size.
        m_screen = new QWidget;
        m_screen->setFixedSize(240, 320);
        m_screen->setStyleSheet(QStringLiteral("background: #ff00ff"));
        m_screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_screen));
        m_sheet = new MetaScreenShot;
    }

    void cleanupTestCase()
    {
        delete m_sheet;
        delete m_screen;
    }

    void init()
    {
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
    }

    void modeText_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Standby";
        QTest::newRow("1") << 1 << "Ambient";
        QTest::newRow("2") << 2 << "CW";
        QTest::newRow("3") << 3 << "Echo";
        QTest::newRow("4") << 4 << "Search: 2nd FM";
        QTest::newRow("5") << 5 << "Unknown - Error";
        QTest::newRow("7") << 7 << "Unknown - Error";
    }

    void modeText()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        AudioModeUserSetting().Set(eAudioModeUserSetting::Rx2Fm);
        OperatingModeUserSetting().Set(eOperatingMode(mode));
        m_sheet->RenderSheet(kStamp);
        QCOMPARE(label("modeLabel"), text);
    }

    void frequencyText_data()
    {
        QTest::addColumn<uint>("hz");
        QTest::addColumn<QString>("text");
        QTest::newRow("2.4 GHz") << 2434032034u << "2,434,032,034";
        QTest::newRow("largest") << 4294967295u << "4,294,967,295";
        QTest::newRow("1000") << 1000u << "1,000";
        QTest::newRow("999") << 999u << "999";
    }

    void frequencyText()
    {
        QFETCH(uint, hz);
        QFETCH(QString, text);
        FreqValueUserSetting().SyncWithMasterValue(hz);
        m_sheet->RenderSheet(kStamp);
        QCOMPARE(label("freqLabel"), text);
    }

    void outputPowerText_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("text");
        QTest::newRow("off") << 0 << "0%";
        QTest::newRow("15") << 15 << "75%";
        QTest::newRow("full") << 20 << "100%";
        QTest::newRow("beyond a byte") << 60 << "44%";
    }

    void outputPowerText()
    {
        QFETCH(int, level);
        QFETCH(QString, text);
        PowerLevelUserSetting().SyncWithMasterValue((unsigned char)level);
        m_sheet->RenderSheet(kStamp);
        QCOMPARE(label("outputPowerLabel"), text);
    }

    void nomenclature_data()
    {
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("image");
        QTest::newRow("none") << 0x0000 << "nomenclature_kt.png";
        QTest::newRow("0x40") << 0x0040 << "nomenclature_900.png";
        QTest::newRow("all but 0x40") << 0xffbf << "nomenclature_kt.png";
        QTest::newRow("all") << 0xffff << "nomenclature_900.png";
    }

    void nomenclature()
    {
        QFETCH(int, options);
        QFETCH(QString, image);
        AdminOptionsSettings().SyncWithMasterValue((unsigned int)options);
        m_sheet->RenderSheet(kStamp);
        const QImage shown = m_sheet->findChild<QLabel*>(QStringLiteral("quarnTitleLabel"))
                                 ->pixmap(Qt::ReturnByValue)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(shown, resourceImage(image.toLatin1().constData()));
    }

    void sheet_isTheScreenOnA480By640Page()
    {
        const QImage sheet = m_sheet->RenderSheet(kStamp);
        QCOMPARE(sheet.size(), QSize(480, 640));
        QCOMPARE(sheet.format(), QImage::Format_RGB888);
        QCOMPARE(label("dateTimeLabel"), kStamp.toString(Qt::TextDate));
        const QLabel* screen = m_sheet->findChild<QLabel*>(QStringLiteral("screenShotLabel"));
        QVERIFY(screen->width() >= 240 && screen->height() >= 320);
        QVERIFY(screen->geometry().bottom() < 640);
        QCOMPARE(sheet.pixelColor(screen->geometry().center()), QColor(0xff, 0x00, 0xff));
    }

    void fileName_sameSecondGetsASuffix()
    {
        const QString first = folder() + QStringLiteral("vek_2026_03_05_14_07_09.png");
        QCOMPARE(m_sheet->ChooseFileName(folder(), kStamp), first);
        writeFile(first, "earlier");
        QCOMPARE(m_sheet->ChooseFileName(folder(), kStamp),
                 folder() + QStringLiteral("vek_2026_03_05_14_07_09_2.png"));
        QDir().mkpath(folder() + QStringLiteral("vek_2026_03_05_14_07_09_2.png"));
        QCOMPARE(m_sheet->ChooseFileName(folder(), kStamp),
                 folder() + QStringLiteral("vek_2026_03_05_14_07_09_3.png"));
        QCOMPARE(m_sheet->ChooseFileName(folder(), kStamp.addSecs(1)),
                 folder() + QStringLiteral("vek_2026_03_05_14_07_10.png"));
    }

    void twoSavesInOneSecond_keepBoth()
    {
        Board::Get().SetSystemTime(kStamp);
        QSignalSpy complete(m_sheet, &MetaScreenShot::SaveComplete);
        QSignalSpy failed(m_sheet, &MetaScreenShot::SaveFailed);

        // Both names are chosen before either worker has created its file.
        m_sheet->Save(folder());
        m_sheet->Save(folder());
        QVERIFY(m_sheet->IsSaving());
        QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 2, 10000);
        QCOMPARE(failed.count(), 0);
        QVERIFY(!m_sheet->IsSaving());

        const QString base = folder() + QStringLiteral("vek_2026_03_05_14_07_09");
        for (const char* suffix : {".png", "_2.png"}) {
            const QImage saved(base + QLatin1String(suffix), "png");
            QCOMPARE(saved.size(), QSize(480, 640));
        }
        QCOMPARE(QDir(folder()).entryList(QDir::Files).size(), 2);
    }

    void unwritableCard_reportsFailure()
    {
        QDir(folder()).removeRecursively();
        QuarnTest::LogCapture log;
        QSignalSpy complete(m_sheet, &MetaScreenShot::SaveComplete);
        QSignalSpy failed(m_sheet, &MetaScreenShot::SaveFailed);
        m_sheet->Save(folder());
        QVERIFY(failed.wait(10000));
        QCOMPARE(complete.count(), 0);
        QCOMPARE(log.lines().filter(QStringLiteral("Screenshot not saved:")).size(), 1);
    }

    void saveImage_neverReplacesAFile()
    {
        const QImage image(4, 4, QImage::Format_RGB888);
        const QString path = folder() + QStringLiteral("taken.png");
        writeFile(path, "keep");
        QVERIFY(!SaveImageToFileAndSync(path, image, QStringLiteral("png")));
        QCOMPARE(readFile(path), QByteArray("keep"));

        const QString folderInPlace = folder() + QStringLiteral("folder.png");
        QDir().mkpath(folderInPlace);
        QVERIFY(!SaveImageToFileAndSync(folderInPlace, image, QStringLiteral("png")));

        const QString fresh = folder() + QStringLiteral("fresh.png");
        QVERIFY(SaveImageToFileAndSync(fresh, image, QStringLiteral("png")));
        QCOMPARE(QImage(fresh).size(), QSize(4, 4));
    }

    void unknownFormat_leavesNoFile()
    {
        const QString path = folder() + QStringLiteral("odd.xyz");
        QVERIFY(!SaveImageToFileAndSync(path, QImage(4, 4, QImage::Format_RGB888),
                                        QStringLiteral("xyz")));
        QVERIFY(!QFile::exists(path));
    }
};

QUARN_GUI_TEST_MAIN(TestMetaScreenShot)
#include "tst_metaScreenShot.moc"
