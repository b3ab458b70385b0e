#include "board/board.h"
#include "bus/quarnBus.h"
#include "services/sdCardMonitor.h"
#include "settings/userSettingsService.h"
#include "settings/userSettingsStore.h"
#include "settings/volumeUserSetting.h"
#include "setup/saveUserSettingsDialog.h"
#include "setup/userSettingsManagementSubscreen.h"
#include "shell/slidingstackedwidget.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"
#include "tests/support/smallFileSystem.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString profilePath(int n)
{
    return UserSettingsService::Get()->GetFilenameForExternalSet(eExternalUserSettingsSet(n));
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setCard(bool ready)
{
    QuarnTest::SetCard(ready ? "rw" : "");
    SdCardMonitor::Get()->PollForCardStatus();
}

// A card that takes no new file: its folder read-only, and for root, whom permissions do
// not stop, file access as nobody while it lasts.
class ReadOnlyCard
{
public:
    ReadOnlyCard() : m_root(Board::Get().CardRoot())
    {
        ::chmod(QFile::encodeName(m_root).constData(), 0555);
        if (::geteuid() == 0)
            ::setfsuid(65534);
    }
    ~ReadOnlyCard()
    {
        if (::geteuid() == 0)
            ::setfsuid(0);
        ::chmod(QFile::encodeName(m_root).constData(), 0755);
    }

private:
    QString m_root;
};

} // namespace

class TestUserSettingsManagement : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

    static QStringList pages(UserSettingsManagementSubscreen& screen)
    {
        QStringList texts;
        auto* stack = screen.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        for (int i = 0; i < stack->count(); ++i)
            texts.append(stack->widget(i)->findChild<QLabel*>()->text());
        return texts;
    }

    // Presses "Save As...", lets chooseIn pick in the dialog, accepts it, and returns what
    // the message box after the save said.
    static QString save(UserSettingsManagementSubscreen& screen,
                        const std::function<void(SaveUserSettingsDialog&)>& chooseIn)
    {
        QString reported;
        QTimer answer;
        answer.setInterval(10);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<SaveUserSettingsDialog*>(modal)) {
                chooseIn(*dialog);
                dialog->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                reported = box->windowTitle() + QStringLiteral(": ") + box->text();
                box->accept();
            }
        });
        answer.start();
        screen.findChild<QAbstractButton*>(QStringLiteral("saveButton"))->click();
        return reported;
    }

    static std::function<void(SaveUserSettingsDialog&)> pick(const QString& button)
    {
        return [button](SaveUserSettingsDialog& dialog) {
            dialog.findChild<QAbstractButton*>(button)->click();
        };
    }

private slots:
    void initTestCase()
    {
        m_line = QuarnTest::InstallSettledLine();
        // Nobody must be able to reach the card folder when the card itself refuses.
        ::chmod(QFile::encodeName(QuarnTest::SandboxRoot()).constData(), 0755);
    }

    void init()
    {
        // Top-level windows with a layout, which the offscreen platform cannot size.
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        setCard(true);
        for (int n = 1; n <= 6; ++n)
            QFile::remove(profilePath(n));
        m_line->takeWritten();
    }

    void pages_listTheCardsProfilesInOrder_andStartAtTheInternalOne()
    {
        writeFile(profilePath(2), "[userSettings]\nvolume=3\n");
        writeFile(profilePath(5), "[userSettings]\nvolume=4\n");
        UserSettingsManagementSubscreen screen;
        screen.resize(240, 230);
        screen.show();
        QCOMPARE(pages(screen),
                 (QStringList{"Internal Profile", "SD Card Profile 2", "SD Card Profile 5"}));
        auto* stack = screen.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        screen.findChild<QAbstractButton*>(QStringLiteral("rightButton"))->click();
        QTRY_COMPARE(stack->currentIndex(), 1);
        QCOMPARE(screen.currentLocation().profile, 2);

        setCard(false);
        QTRY_COMPARE(stack->currentIndex(), 0);
        QCOMPARE(stack->count(), 1);
        QVERIFY(!screen.findChild<QWidget*>(QStringLiteral("leftButton"))->isEnabled());
        QVERIFY(!screen.findChild<QWidget*>(QStringLiteral("rightButton"))->isEnabled());
    }

    void saveToCardProfile_writesIt_andListsIt()
    {
        VolumeUserSetting().SyncWithMasterValue(quint8(17));
        UserSettingsManagementSubscreen screen;
        screen.show();
        QCOMPARE(save(screen, pick(QStringLiteral("sdCard3Button"))),
                 QStringLiteral("Complete!: Save Complete"));
        QCOMPARE(
            QSettings(profilePath(3), QSettings::IniFormat).value("userSettings/volume").toInt(),
            17);
        QCOMPARE(pages(screen), (QStringList{"Internal Profile", "SD Card Profile 3"}));
    }

    void saveThatCannotWrite_saysSo_andKeepsTheOldProfile_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("card folder refuses writes") << "read-only";
        QTest::newRow("card mounted read-only") << "mounted read-only";
        QTest::newRow("full card") << "full";
        QTest::newRow("card pulled after the choice") << "pulled";
    }

    void saveThatCannotWrite_saysSo_andKeepsTheOldProfile()
    {
        QFETCH(QString, failure);
        std::unique_ptr<SmallFileSystem> full;
        QStringList cardFiles{"vek_quarn_3.ini"};
        if (failure == QLatin1String("full")) {
            full = std::make_unique<SmallFileSystem>(Board::Get().CardRoot(), 64);
            if (!full->isMounted())
                QSKIP("this machine does not let the test mount a small file system");
            cardFiles = QStringList{"filler", "filler2", "vek_quarn_3.ini"};
        }
        const QByteArray old = "[userSettings]\nvolume=9\ntoneStyle=1\n";
        writeFile(profilePath(3), old);
        if (full)
            QVERIFY(full->fill());
        VolumeUserSetting().SyncWithMasterValue(quint8(22));
        UserSettingsManagementSubscreen screen;
        screen.show();
        m_line->takeWritten();

        QString reported;
        if (failure == QLatin1String("pulled")) {
            reported = save(screen, [](SaveUserSettingsDialog& dialog) {
                dialog.findChild<QAbstractButton*>(QStringLiteral("sdCard3Button"))->click();
                setCard(false);
                QVERIFY(!dialog.findChild<QWidget*>(QStringLiteral("sdCard3Button"))->isEnabled());
            });
            setCard(true);
        } else if (failure == QLatin1String("mounted read-only")) {
            // Remounted read-only once the profile was picked (the dialog refuses one before).
            reported = save(screen, [](SaveUserSettingsDialog& dialog) {
                dialog.findChild<QAbstractButton*>(QStringLiteral("sdCard3Button"))->click();
                QuarnTest::SetCard("ro");
            });
            setCard(true);
        } else if (full) {
            reported = save(screen, pick(QStringLiteral("sdCard3Button")));
        } else {
            ReadOnlyCard card;
            reported = save(screen, pick(QStringLiteral("sdCard3Button")));
        }
        QCOMPARE(reported, QStringLiteral("Failed!: Save Failed"));
        QCOMPARE(readFile(profilePath(3)), old);
        QDir card(Board::Get().CardRoot());
        QCOMPARE(card.entryList(QDir::Files | QDir::Hidden, QDir::Name), cardFiles);
        // The head keeps its own copy only beside ours.
        QCOMPARE(m_line->takeWritten(), QByteArray());
    }

    void noCard_cardProfilesAreDimmed_andATapSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("mount");
        QTest::addColumn<QString>("note");
        QTest::newRow("no card") << QByteArray() << "No SD card";
        QTest::newRow("card mounted read-only") << QByteArray("ro") << "SD card is read-only";
    }

    void noCard_cardProfilesAreDimmed_andATapSaysWhy()
    {
        QFETCH(QByteArray, mount);
        QFETCH(QString, note);
        QuarnTest::SetCard(mount);
        SdCardMonitor::Get()->PollForCardStatus();
        SaveUserSettingsDialog dialog;
        dialog.show();
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("titleLabel"))->text(),
                 QStringLiteral("Save settings to"));
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("noCardLabel"))->isVisible());
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("noCardLabel"))->text(), note);
        auto* card1 = dialog.findChild<QAbstractButton*>(QStringLiteral("sdCard1Button"));
        QVERIFY(!card1->isEnabled());
        QString told;
        QTimer::singleShot(0, [&told] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            told = box->text();
            box->accept();
        });
        QTest::mouseClick(card1, Qt::LeftButton);
        QCOMPARE(told, note);
        QVERIFY(dialog.isInternalSelected());

        // A write-protected card comes back writable only by way of the slot.
        setCard(false);
        setCard(true);
        QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("noCardLabel"))->isVisible());
        QTest::mouseClick(card1, Qt::LeftButton);
        QCOMPARE(dialog.selectedSdProfile(), 1);
    }

    void recall_saysWhatItFound_data()
    {
        QTest::addColumn<int>("profile"); // 0 for the internal one
        QTest::addColumn<QString>("afterListing");
        QTest::addColumn<QString>("reported");
        QTest::newRow("internal") << 0 << ""
                                  << "Complete!: Profile recalled";
        QTest::newRow("card") << 2 << ""
                              << "Complete!: Profile recalled";
        QTest::newRow("card profile gone") << 2 << "remove"
                                           << "Failed!: Profile missing";
        QTest::newRow("card profile now a link") << 2 << "link"
                                                 << "Failed!: Profile unreadable";
    }

    void recall_saysWhatItFound()
    {
        QFETCH(int, profile);
        QFETCH(QString, afterListing);
        QFETCH(QString, reported);
        UserSettingsService* service = UserSettingsService::Get();
        QVERIFY(service->SaveToInternalUserSettings());
        writeFile(profilePath(2), "[userSettings]\nvolume=3\n");
        UserSettingsManagementSubscreen screen;
        screen.show();
        auto* stack = screen.findChild<SlidingStackedWidget*>(QStringLiteral("stackedWidget"));
        if (profile != 0) {
            screen.findChild<QAbstractButton*>(QStringLiteral("rightButton"))->click();
            QTRY_COMPARE(stack->currentIndex(), 1);
        }
        QFile::remove(profilePath(2));
        if (afterListing == QLatin1String("link"))
            QVERIFY(QFile::link(service->GetFilenameForInternalSet(), profilePath(2)));
        else if (afterListing.isEmpty())
            writeFile(profilePath(2), "[userSettings]\nvolume=3\n");
        m_line->takeWritten();

        QString said;
        QTimer::singleShot(0, [&said] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            said = box->windowTitle() + QStringLiteral(": ") + box->text();
            box->accept();
        });
        screen.findChild<QAbstractButton*>(QStringLiteral("selectButton"))->click();
        QCOMPARE(said, reported);
        QList<QuarnBusMsg> sent = BusTraffic::split(m_line->takeWritten());
        QCOMPARE(int(sent.value(0).type), int(eSetSystemDataMsg));
        if (profile == 0) // the head loads its own copy beside ours
            QCOMPARE(BusTraffic::describe(sent.value(1)), QStringLiteral("116 p1 []"));
        else
            QCOMPARE(sent.size(), 1);
    }
};

QUARN_GUI_TEST_MAIN(TestUserSettingsManagement)
#include "tst_userSettingsManagement.moc"
