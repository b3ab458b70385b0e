#include "board/board.h"
#include "board/boardScreen.h"
#include "bus/quarnBus.h"
#include "services/metaScreenShot.h"
#include "services/metaScreenShotButton.h"
#include "services/sdCardMonitor.h"
#include "settings/userSettingsStore.h"
#include "shell/startup.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>

namespace {
void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

void setCard(bool ready)
{
    const Board& board = Board::Get();
    if (ready) {
        writeFile(board.CardPresenceMarker(), {});
        writeFile(board.MountTable(), "/dev/mmcblk1p1 /media/mmcblk1p1 vfat rw 0 0\n");
        QDir().mkpath(board.CardRoot());
    } else {
        QFile::remove(board.CardPresenceMarker());
        writeFile(board.MountTable(), "/dev/mmcblk0p4 /media/mmcblk0p4 ext4 rw 0 0\n");
    }
    SdCardMonitor::Get()->PollForCardStatus();
}

QStringList cardFiles()
{
    return QDir(Board::Get().CardRoot()).entryList(QDir::Files);
}

// What the message box showed once it was up over the panel.
struct BoxSeen
{
    bool shown = false;
    QRect geometry;
    int buttonHeight = 0;
    QString title;
    QString text;
    bool hasIcon = false;
    QMessageBox::StandardButtons buttons;
};

// Watches for the modal box, notes what it shows once it is up and closes it.
void closeMessageBoxWhenUp(BoxSeen* seen)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() ||
            !BoardScreen::PanelGeometry().contains(box->frameGeometry())) {
            if (box && poll->property("tries").toInt() > 100)
                box->reject(); // never over the panel: let the test go on and fail
            poll->setProperty("tries", poll->property("tries").toInt() + 1);
            return;
        }
        seen->shown = true;
        seen->geometry = box->geometry();
        seen->buttonHeight = box->button(QMessageBox::Ok)->height();
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->hasIcon = !box->windowIcon().isNull();
        seen->buttons = box->standardButtons();
        poll->deleteLater();
        box->button(QMessageBox::Ok)->click();
    });
    poll->start(5);
}
} // namespace

class TestMetaScreenShotButton : public QObject
{
    Q_OBJECT
private:
    QWidget* m_window = nullptr;
    MetaScreenShotButton* m_button = nullptr;

private slots:
    void initTestCase()
    {
        UserSettingsStore::Configure();
        QuarnBus::Install(new FakeDevice);
        ApplyPanelStyle(*qApp);
        m_window = new QWidget;
        m_window->setFixedSize(240, 320);
        m_button = new MetaScreenShotButton(QIcon(QStringLiteral(":/:/images/images/camera.png")),
                                            QString(), m_window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QCoreApplication::processEvents(); // the button wires its click on the first pass
    }

    void cleanupTestCase() { delete m_window; }

    void init() { QDir(Board::Get().CardRoot()).removeRecursively(); }

    void noCard_asksForOneAndSavesNothing()
    {
        setCard(false);
        QSignalSpy complete(m_button, &MetaScreenShotButton::ScreenShotComplete);
        QSignalSpy failed(m_button, &MetaScreenShotButton::ScreenShotFailed);
        // The offscreen platform remarks on the box's fixed size.
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        BoxSeen seen;
        closeMessageBoxWhenUp(&seen);
        QTest::mouseClick(m_button, Qt::LeftButton);

        QVERIFY(seen.shown); // up within the panel, with a button a finger can hit
        QVERIFY(seen.buttonHeight >= 40);
        QCOMPARE(seen.title, QStringLiteral("SD Card Required"));
        QCOMPARE(seen.text, QStringLiteral("To take a screenshot, please insert a micro SD Card"));
        QVERIFY(seen.hasIcon);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!m_button->sheet()->IsSaving()); // so nothing can follow
        QCOMPARE(complete.count() + failed.count(), 0);
        QVERIFY(cardFiles().isEmpty());
    }

    void readyCard_flashesAndCompletes()
    {
        setCard(true);
        const QColor normal = m_button->palette().color(m_button->backgroundRole());
        QSignalSpy complete(m_button, &MetaScreenShotButton::ScreenShotComplete);
        QSignalSpy failed(m_button, &MetaScreenShotButton::ScreenShotFailed);
        QTest::mouseClick(m_button, Qt::LeftButton);

        for (QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            QCOMPARE(m_button->palette().color(group, m_button->backgroundRole()),
                     QColor(Qt::blue));
        QVERIFY(complete.wait(10000));
        QCOMPARE(failed.count(), 0);
        QTRY_COMPARE(m_button->palette().color(m_button->backgroundRole()), normal);
        const QStringList files = cardFiles();
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().startsWith(QLatin1String("vek_")));
        QVERIFY(files.first().endsWith(QLatin1String(".png")));
    }

    // Root writes to a read-only mount on the desktop: the mount table decides, not the write.
    void readOnlyCard_failsAtOnceAndWritesNothing()
    {
        QuarnTest::SetCard("ro,noatime");
        SdCardMonitor::Get()->PollForCardStatus();
        QVERIFY(SdCardMonitor::Get()->IsCardReady());
        QSignalSpy complete(m_button, &MetaScreenShotButton::ScreenShotComplete);
        QSignalSpy failed(m_button, &MetaScreenShotButton::ScreenShotFailed);
        QuarnTest::LogCapture log;
        QTest::mouseClick(m_button, Qt::LeftButton);

        QCOMPARE(failed.count(), 1);
        QVERIFY(!m_button->sheet()->IsSaving()); // so nothing can follow
        QVERIFY(log.contains("Screenshot not saved: card is read-only"));
        QCOMPARE(complete.count(), 0);
        QVERIFY(cardFiles().isEmpty());
    }

    void cardThatCannotBeWritten_reportsFailure()
    {
        setCard(true);
        QDir(Board::Get().CardRoot()).removeRecursively();
        QSignalSpy complete(m_button, &MetaScreenShotButton::ScreenShotComplete);
        QSignalSpy failed(m_button, &MetaScreenShotButton::ScreenShotFailed);
        m_button->TakeMetaScreenShot();
        QVERIFY(failed.wait(10000));
        QCOMPARE(complete.count(), 0);
    }
};

QUARN_GUI_TEST_MAIN(TestMetaScreenShotButton)
#include "tst_metaScreenShotButton.moc"
