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

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <functional>
#include <sys/fsuid.h>
#include <sys/resource.h>
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

// A full card: no write may grow a file past a few bytes while it lasts.
class FullCard
{
public:
    FullCard()
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = m_saved;
        full.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullCard() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
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
        QCOMPARE(pages(screen), (QStringList{"Internal Profile", "SD Card Profile 2",
                                             "SD Card Profile 5"}));
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
        QCOMPARE(QSettings(profilePath(3), QSettings::IniFormat).value("userSettings/volume").toInt(),
                 17);
        QCOMPARE(pages(screen), (QStringList{"Internal Profile", "SD Card Profile 3"}));
    }

    void saveThatCannotWrite_saysSo_andKeepsTheOldProfile_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("read-only card") << "read-only";
        QTest::newRow("full card") << "full";
        QTest::newRow("card pulled after the choice") << "pulled";
    }

    void saveThatCannotWrite_saysSo_andKeepsTheOldProfile()
    {
        QFETCH(QString, failure);
        const QByteArray old = "[userSettings]\nvolume=9\ntoneStyle=1\n";
        writeFile(profilePath(3), old);
        VolumeUserSetting().SyncWithMasterValue(quint8(22));
        UserSettingsManagementSubscreen screen;
        screen.show();

        QString reported;
        if (failure == QLatin1String("pulled")) {
            reported = save(screen, [](SaveUserSettingsDialog& dialog) {
                dialog.findChild<QAbstractButton*>(QStringLiteral("sdCard3Button"))->click();
                setCard(false);
                QVERIFY(!dialog.findChild<QWidget*>(QStringLiteral("sdCard3Button"))->isEnabled());
            });
            setCard(true);
        } else if (failure == QLatin1String("full")) {
            FullCard card;
            reported = save(screen, pick(QStringLiteral("sdCard3Button")));
        } else {
            ReadOnlyCard card;
            reported = save(screen, pick(QStringLiteral("sdCard3Button")));
        }
        QCOMPARE(reported, QStringLiteral("Failed!: Save Failed"));
        QCOMPARE(readFile(profilePath(3)), old);
        QCOMPARE(QDir(Board::Get().CardRoot()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"vek_quarn_3.ini"});
    }

    void recallInternal_sendsTheBlockThenTheHeadsLoad()
    {
        UserSettingsManagementSubscreen screen;
        screen.show();
        screen.findChild<QAbstractButton*>(QStringLiteral("selectButton"))->click();
        QList<QuarnBusMsg> sent = BusTraffic::split(m_line->takeWritten());
        QCOMPARE(sent.size(), 2);
        QCOMPARE(int(sent.at(0).type), int(eSetSystemDataMsg));
        QCOMPARE(BusTraffic::describe(sent.at(1)), QStringLiteral("116 p1 []"));
    }
};

QUARN_GUI_TEST_MAIN(TestUserSettingsManagement)
#include "tst_userSettingsManagement.moc"
