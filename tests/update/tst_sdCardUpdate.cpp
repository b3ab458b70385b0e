// The update from end to end: the dialog drives the worker, which talks over a real
// pseudo-terminal to the simulated head.

#include "board/board.h"
#include "bus/quarnBus.h"
#include "services/sdCardMonitor.h"
#include "services/versionInfo.h"
#include "settings/powerLevelUserSetting.h"
#include "sim/headSim.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"
#include "update/packageBuilder.h"
#include "update/sdCardUpdate.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Fault = FlashTargetController::Fault;

namespace {

QString cardFile(const char* name)
{
    return Board::Get().CardRoot() + QLatin1String(name);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The card's installer: it leaves word on the card that it ran, found through its $0.
const QByteArray kInstaller = "#!/bin/sh\necho ran >>\"$(dirname \"$0\")/installer.log\"\n"
                              "test -s \"$(dirname \"$0\")/squash.sqfs\"\n";

void writeInstaller(const QByteArray& script)
{
    writeFile(cardFile(SdCardMonitor::kUpdateScript), script);
    QFile(cardFile(SdCardMonitor::kUpdateScript))
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A section whose bytes say which it is.
QByteArray section(char tag, int dataBytes)
{
    QByteArray bytes = QByteArray("HDR") + tag + "0001";
    for (int i = 0; i < dataBytes; ++i)
        bytes.append(char(tag + i * 13));
    return bytes;
}

// What the worker reported, as the dialog's thread saw it (after the dialog's own slots).
struct Outcome
{
    // Short time-outs and a card with room unless told otherwise.
    explicit Outcome(TscSDCardUpdateDialog& dialog, quint64 freeBytes = 1'000'000'000)
        : dialog(dialog)
    {
        SDCardUpdate* w = dialog.worker();
        w->setTiming({400, 400, 10});
        w->setFreeSpaceProbe([freeBytes](const QString&) { return freeBytes; });
        QObject::connect(w, &SDCardUpdate::errorCode, &dialog,
                         [this](int code) { errors << code; });
        QObject::connect(w, &SDCardUpdate::completeUpdate, &dialog, [this] { ++completions; });
        QObject::connect(w, &SDCardUpdate::versionID, &dialog,
                         [this](const QString& current, const QString& update) {
                             versions << current << update;
                         });
        QObject::connect(w, &SDCardUpdate::SDspaceOK, &dialog, [this] { ++imagesBuilt; });
        QObject::connect(w, &SDCardUpdate::eraseSection, &dialog,
                         [this](const QString& name) { erased << name; });
    }
    bool finished() const { return !errors.isEmpty() || completions > 0; }

    // The operator's consent to both prompts; returns when the worker has finished or failed.
    void runThrough()
    {
        dialog.on_okButton_clicked();
        QVERIFY(QTest::qWaitFor([&] { return !versions.isEmpty() || finished(); }, 10000));
        if (!finished())
            dialog.on_okButton_clicked();
        QVERIFY(QTest::qWaitFor([&] { return finished(); }, 20000));
    }

    TscSDCardUpdateDialog& dialog;

    QList<int> errors;
    int completions = 0;
    int imagesBuilt = 0;
    QStringList versions;
    QStringList erased;
};

// A package stream whose reads wait on a pipe, as a dying card's do, until the test closes
// the pipe's other end (then the file ends).
struct BlockingPipe
{
    int ends[2] = {-1, -1};
    std::atomic<bool> reading{false};
    // Set by the worker's last touch of the pipe: the test may let it go out of scope then.
    std::atomic<bool> closed{false};
};

FILE* blockingStream(BlockingPipe* pipe)
{
    cookie_io_functions_t io = {};
    io.read = [](void* cookie, char* buffer, size_t size) -> ssize_t {
        auto* p = static_cast<BlockingPipe*>(cookie);
        p->reading = true;
        return ::read(p->ends[0], buffer, size);
    };
    io.seek = [](void*, off64_t* offset, int whence) -> int {
        *offset = whence == SEEK_END ? 4096 : *offset;
        return 0;
    };
    io.close = [](void* cookie) -> int {
        auto* p = static_cast<BlockingPipe*>(cookie);
        const int result = ::close(p->ends[0]);
        p->closed = true;
        return result;
    };
    return fopencookie(pipe, "rb", io);
}

int threadCount()
{
    return QDir(QStringLiteral("/proc/self/task"))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
        .size();
}

} // namespace

class TestSdCardUpdate : public QObject
{
    Q_OBJECT
private:
    HeadSim* m_sim = nullptr;
    QList<QuarnBusMsg> m_heard; // every frame the head received, in order
    QByteArray m_makerKey;      // the unit trusts its public key

    QList<QuarnBusMsg> heard(int type) const
    {
        QList<QuarnBusMsg> out;
        for (const QuarnBusMsg& msg : m_heard) {
            if (msg.type == type)
                out << msg;
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        m_sim = SimHarness::StartProgramOnSim(this, &m_heard);
        QVERIFY(m_sim);
        // The hardware codes come from the controllers' status texts.
        VersionInfo::Get();
        QTRY_VERIFY_WITH_TIMEOUT(!VersionInfo::Get()->GetKeypadStatus().isEmpty(), 5000);
        QuarnTest::SetCard("rw");
        QTRY_VERIFY(SdCardMonitor::Get()->IsCardWritable());
        m_makerKey = PackageBuilder::NewSigningKey();
    }

    void init()
    {
        m_heard.clear();
        m_sim->hcc()->setFault(Fault::None);
        m_sim->key()->setFault(Fault::None);
        QFile::remove(cardFile(UpdatePackage::kImageFileName));
        QDir(cardFile(UpdatePackage::kFileName)).removeRecursively();
        QFile::remove(cardFile(UpdatePackage::kFileName));
        writeFile(Board::Get().VersionRecord(), "2.4.0\n");
        QFile::remove(SDCardUpdate::FailedUpdateRecordPath());
        QuarnTest::SetCard("rw");
        PowerLevelUserSetting().SyncWithMasterValue((unsigned char)7);
        writeInstaller(kInstaller);
        QFile::remove(cardFile("installer.log"));
        SDCardUpdate::SetSignatureRequired(false);
        SDCardUpdate::SetTrustedKeys({PackageBuilder::PublicKeyOf(m_makerKey)});
    }

    void badPackage_stopsWithError2_beforeAnyErase_data()
    {
        QTest::addColumn<QByteArray>("package");
        PackageContents contents;
        contents.major = 2;
        contents.minor = 5;
        contents.sections = {{"ha24", section('h', 300)}, {"master", section('m', 500)}};
        const QByteArray good = PackageBuilder::Build(contents);

        for (int at : {21, 40, good.size() - 1}) {
            QByteArray flipped = good;
            flipped[at] = char(flipped.at(at) ^ 0x04);
            QTest::newRow(qPrintable(QStringLiteral("byte %1 flipped").arg(at))) << flipped;
        }
        PackageContents otherKey = contents;
        otherKey.key = "Five pale gulls flew";
        QTest::newRow("signed with another key") << PackageBuilder::Build(otherKey);
        QTest::newRow("truncated") << good.left(good.size() - 100);

        PackageContents outside = contents;
        outside.header = QByteArray(R"({"ha24": [0, 308, 0], "master": [308, 509, 0]})");
        QTest::newRow("section one byte past the end") << PackageBuilder::Build(outside);
        outside.header = QByteArray(R"({"ha24": [0, 308, 0], "master": [-8, 8, 0]})");
        QTest::newRow("section before the base") << PackageBuilder::Build(outside);
        outside.header = QByteArray(R"({"ha24": [0, 308, 0], "master": [308, 7, 0]})");
        QTest::newRow("section shorter than its header") << PackageBuilder::Build(outside);
        outside.header = QByteArray(R"({"ha24": [0, 308, 0], "master": "everything"})");
        QTest::newRow("member that is no array") << PackageBuilder::Build(outside);
        // The image is fine; the plan is not, and the image must not be copied for it.
        outside.image = QByteArray(2000, 's');
        outside.header = QByteArray(R"({"ha24": [0, 308, 0], "master": [308, 509, 0]})");
        QTest::newRow("good image, section past the end") << PackageBuilder::Build(outside);
        outside.header = QByteArray(R"({"ha24": [0, 308, 0], "master": [308, 7, 0]})");
        QTest::newRow("good image, section shorter than its header")
            << PackageBuilder::Build(outside);
    }

    void badPackage_stopsWithError2_beforeAnyErase()
    {
        QFETCH(QByteArray, package);
        writeFile(cardFile(UpdatePackage::kFileName), package);
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        outcome.runThrough();

        QCOMPARE(outcome.errors.size(), 1);
        QCOMPARE(outcome.errors.value(0), int(SDCardUpdate::eInvalidPackage));
        QCOMPARE(outcome.completions, 0);
        QCOMPARE(outcome.imagesBuilt, 0);
        QVERIFY(!QFile::exists(cardFile(UpdatePackage::kImageFileName)));
        QVERIFY(heard(eSetEepromMsg).isEmpty());
        QVERIFY(heard(eMasterResetRequest).isEmpty());
        QCOMPARE(dialog.dialogStep(), int(TscSDCardUpdateDialog::eErrorShown));
        QCOMPARE(readFile(Board::Get().VersionRecord()), QByteArray("2.4.0\n"));
    }

    // Refused at the check, before the first prompt: no image, no controller, no script.
    void signaturePolicy_refusesBeforeAnythingChanges_data()
    {
        QTest::addColumn<QByteArray>("package");
        QTest::addColumn<QByteArray>("installer");
        QTest::addColumn<bool>("required");
        QTest::addColumn<int>("error");
        PackageContents contents;
        contents.major = 2;
        contents.minor = 5;
        contents.image = QByteArray(1500, 'q');
        contents.sections = {{"master", section('m', 300)}};
        const QByteArray plain = PackageBuilder::Build(contents);
        contents.script = kInstaller;
        contents.signingKeys = {m_makerKey};
        const QByteArray good = PackageBuilder::Build(contents);
        const auto resigned = [](QByteArray package, int at) {
            package[at] = char(package.at(at) ^ 0x10);
            PackageBuilder::Resign(package, UpdatePackage::IntegrityKey());
            return package;
        };
        QByteArray installer = kInstaller;
        installer[installer.size() - 2] = 'S';
        PackageContents otherKey = contents;
        otherKey.signingKeys = {PackageBuilder::NewSigningKey()};
        const int none = 0;
        const int refused = SDCardUpdate::eNotSigned;

        QTest::newRow("unsigned, policy off") << plain << kInstaller << false << none;
        QTest::newRow("signed, policy on") << good << kInstaller << true << none;
        QTest::newRow("unsigned, policy on") << plain << kInstaller << true << refused;
        QTest::newRow("key the unit does not hold, policy off")
            << PackageBuilder::Build(otherKey) << kInstaller << false << refused;
        QTest::newRow("signature byte flipped, policy off")
            << resigned(good, plain.size() + 100) << kInstaller << false << refused;
        QTest::newRow("section byte flipped, policy on")
            << resigned(good, plain.size() - 1) << kInstaller << true << refused;
        QTest::newRow("script byte flipped, policy on") << good << installer << true << refused;
    }

    void signaturePolicy_refusesBeforeAnythingChanges()
    {
        QFETCH(QByteArray, package);
        QFETCH(QByteArray, installer);
        QFETCH(bool, required);
        QFETCH(int, error);
        SDCardUpdate::SetSignatureRequired(required);
        writeFile(cardFile(UpdatePackage::kFileName), package);
        writeInstaller(installer);
        const int sectionsBefore = m_sim->hcc()->sections().size();
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        outcome.runThrough();

        if (error == 0) {
            QCOMPARE(outcome.errors, QList<int>());
            QCOMPARE(outcome.completions, 1);
            QCOMPARE(readFile(cardFile("installer.log")), QByteArray("ran\n"));
            QCOMPARE(m_sim->hcc()->sections().size(), sectionsBefore + 1);
            QCOMPARE(readFile(Board::Get().VersionRecord()), QByteArray("2.5.0\n"));
            return;
        }
        QCOMPARE(outcome.errors, QList<int>{error});
        QCOMPARE(dialog.findChild<QTextBrowser*>()->toPlainText(),
                 QStringLiteral("Update not signed by the maker"));
        QVERIFY(outcome.versions.isEmpty());
        QCOMPARE(outcome.imagesBuilt, 0);
        QVERIFY(!QFile::exists(cardFile(UpdatePackage::kImageFileName)));
        QVERIFY(!QFile::exists(cardFile("installer.log")));
        QVERIFY(heard(eSetEepromMsg).isEmpty());
        QCOMPARE(readFile(Board::Get().VersionRecord()), QByteArray("2.4.0\n"));
        QCOMPARE(PowerLevelUserSetting().Get(), quint8(7));
    }

    void installerSwappedAfterTheCheck_runsTheCheckedBytes()
    {
        QUARN_SKIP_IF_PROGRAMS_CANNOT_START();
        SDCardUpdate::SetSignatureRequired(true);
        PackageContents contents;
        contents.image = QByteArray(1500, 'q');
        contents.script = kInstaller;
        contents.signingKeys = {m_makerKey};
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(contents));
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        dialog.on_okButton_clicked();
        QTRY_VERIFY(!outcome.versions.isEmpty());
        writeInstaller("#!/bin/sh\necho swapped >>\"$(dirname \"$0\")/installer.log\"\n");
        dialog.on_okButton_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(outcome.finished(), 20000);
        QCOMPARE(outcome.errors, QList<int>());
        QCOMPARE(outcome.completions, 1);
        QCOMPARE(readFile(cardFile("installer.log")), QByteArray("ran\n"));
    }

    void squashImagePastTheEnd_leavesNoImage()
    {
        PackageContents contents;
        contents.image = QByteArray(3000, 's');
        QByteArray package = PackageBuilder::Build(contents);
        package[27] = char(0x20);
        PackageBuilder::Resign(package, UpdatePackage::IntegrityKey());
        writeFile(cardFile(UpdatePackage::kFileName), package);
        writeFile(cardFile(UpdatePackage::kImageFileName), "an old image");
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        outcome.runThrough();
        QCOMPARE(outcome.errors.value(0), int(SDCardUpdate::eInvalidPackage));
        QCOMPARE(outcome.imagesBuilt, 0);
        // Refused before anything on the card was touched.
        QCOMPARE(readFile(cardFile(UpdatePackage::kImageFileName)), QByteArray("an old image"));
    }

    void packageThatIsNoFile_failsAtOnce_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::newRow("directory") << false;
        QTest::newRow("FIFO without a writer") << true;
    }

    void packageThatIsNoFile_failsAtOnce()
    {
        QFETCH(bool, fifo);
        const QByteArray path = QFile::encodeName(cardFile(UpdatePackage::kFileName));
        QVERIFY(fifo ? ::mkfifo(path.constData(), 0600) == 0 : QDir().mkpath(path));
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        dialog.on_okButton_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(outcome.finished(), 2000);
        QCOMPARE(outcome.errors, QList<int>{SDCardUpdate::eFileError});
        QVERIFY(outcome.versions.isEmpty());
        QCOMPARE(PowerLevelUserSetting().Get(), quint8(7));
    }

    void blockedRead_offersCancel_andTimesOut_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("operator cancels") << true;
        QTest::newRow("card never answers") << false;
    }

    void blockedRead_offersCancel_andTimesOut()
    {
        QFETCH(bool, cancel);
        BlockingPipe pipe;
        QVERIFY(::pipe(pipe.ends) == 0);
        const int threadsBefore = threadCount();
        auto* dialog = new TscSDCardUpdateDialog;
        Outcome outcome(*dialog);
        dialog->worker()->setTiming({400, 400, 10, 300});
        dialog->worker()->setPackageSource([&pipe] { return blockingStream(&pipe); });
        QSignalSpy finished(dialog, &QDialog::finished);
        dialog->on_okButton_clicked();
        auto* cancelButton = dialog->findChild<QPushButton*>(QStringLiteral("cancelButton"));
        QVERIFY(!cancelButton->isHidden());
        QTRY_VERIFY(pipe.reading);
        if (cancel) {
            dialog->on_cancelButton_clicked();
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(outcome.errors, QList<int>{SDCardUpdate::eCardNotAnswering},
                                      3000);
            QCOMPARE(dialog->findChild<QTextBrowser*>()->toPlainText(),
                     TscSDCardUpdateDialog::ErrorText(SDCardUpdate::eCardNotAnswering));
            dialog->on_okButton_clicked();
        }
        QCOMPARE(finished.count(), 1);
        QCOMPARE(PowerLevelUserSetting().Get(), quint8(7));
        // The read still blocks: the dialog goes anyway, and the worker once the read ends.
        QuarnTest::LogCapture log;
        QElapsedTimer timer;
        timer.start();
        delete dialog;
        QVERIFY(timer.elapsed() < 2 * TscSDCardUpdateDialog::kJoinMs);
        QVERIFY(log.contains(QStringLiteral("Update worker left to finish a read of the card.")));
        ::close(pipe.ends[1]);
        QTRY_VERIFY(pipe.closed);
        QTRY_COMPARE(threadCount(), threadsBefore);
        QCOMPARE(outcome.versions, QStringList());
        QCOMPARE(PowerLevelUserSetting().Get(), quint8(7));
    }

    void cardChangedDuringThePrompt_programsOnlyCheckedBytes_data()
    {
        QTest::addColumn<bool>("image");
        QTest::newRow("section changed") << false;
        QTest::newRow("image changed") << true;
    }

    void cardChangedDuringThePrompt_programsOnlyCheckedBytes()
    {
        QFETCH(bool, image);
        PackageContents contents;
        contents.image = QByteArray(1500, 'q');
        contents.sections = {{"master", section('m', 3000)}};
        const QByteArray package = PackageBuilder::Build(contents);
        writeFile(cardFile(UpdatePackage::kFileName), package);
        const int sectionsBefore = m_sim->hcc()->sections().size();
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        dialog.on_okButton_clicked();
        QTRY_VERIFY(!outcome.versions.isEmpty());
        // Same length, other bytes: in the image, or in the section at the end.
        QByteArray changed = package;
        const int at = image ? 30 + 700 : changed.size() - 100;
        changed[at] = char(changed.at(at) ^ 0x5a);
        writeFile(cardFile(UpdatePackage::kFileName), changed);
        dialog.on_okButton_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(outcome.finished(), 20000);
        if (image) {
            QCOMPARE(outcome.errors, QList<int>{SDCardUpdate::eInvalidPackage});
            QVERIFY(!QFile::exists(cardFile(UpdatePackage::kImageFileName)));
            QVERIFY(heard(eSetEepromMsg).isEmpty());
        } else {
            QCOMPARE(outcome.errors, QList<int>());
            const auto sections = m_sim->hcc()->sections().mid(sectionsBefore);
            QCOMPARE(sections.size(), 1);
            QCOMPARE(sections.at(0).data.left(3000), section('m', 3000).mid(8));
        }
    }

    void readOnlyCard_copiesNoImage()
    {
        QuarnTest::SetCard("ro");
        PackageContents contents;
        contents.image = QByteArray(1500, 'q');
        contents.sections = {{"master", section('m', 30)}};
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(contents));
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        outcome.runThrough();
        QCOMPARE(outcome.errors, QList<int>{SDCardUpdate::eCardReadOnly});
        QCOMPARE(outcome.imagesBuilt, 0);
        QVERIFY(!QFile::exists(cardFile(UpdatePackage::kImageFileName)));
        QVERIFY(heard(eSetEepromMsg).isEmpty());
        QCOMPARE(PowerLevelUserSetting().Get(), quint8(7));
    }

    void missingPackage_isAFileError()
    {
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        outcome.runThrough();
        QCOMPARE(outcome.errors.value(0), int(SDCardUpdate::eFileError));
    }

    void goodPackage_programsThePlannedControllersInOrder()
    {
        PackageContents contents;
        contents.major = 2;
        contents.minor = 5;
        contents.build = 1;
        contents.image = QByteArray(1500, 'q');
        // Stored out of plan order; alternatives of a programmed row are passed over.
        contents.sections = {{"QU2HA", section('d', 100)},     {"master", section('m', 65537)},
                             {"ha24", section('h', 300)},      {"ha900", section('9', 30)},
                             {"ka", section('k', 0)},          {"ka_any_xc7s6", section('6', 40)},
                             {"radio24", section('r', 65536)}, {"radio900", section('R', 20)},
                             {"QU2BA", section('b', 1000)}};
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(contents));
        writeFile(SDCardUpdate::FailedUpdateRecordPath(), "Update to 2.5.0 failed at MST.\n");
        const int hccBefore = m_sim->hcc()->sections().size();
        const int keyBefore = m_sim->key()->sections().size();
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        outcome.runThrough();
        QCOMPARE(outcome.errors, QList<int>());
        QCOMPARE(outcome.completions, 1);
        QCOMPARE(outcome.versions, (QStringList{"2.4.0\n", "2.5.1\n"}));
        QCOMPARE(outcome.erased, (QStringList{"HCC", "KEY", "RCC", "MST", "BBM", "HDC"}));

        // Erase requests in plan order, each to its controller with its slot id.
        QStringList erases;
        for (const QuarnBusMsg& msg : heard(eSetEepromMsg)) {
            if (msg.param == 2)
                erases << QStringLiteral("%1:%2:%3:%4")
                              .arg(QChar(msg.destId))
                              .arg(msg.bodyByte(1), 2, 16, QLatin1Char('0'))
                              .arg(msg.bodyByte(0))
                              .arg(QString::fromLatin1(msg.body.mid(2, 4)));
        }
        QCOMPARE(erases, (QStringList{"J:20:1:HDRh", "G:20:1:HDRk", "J:49:1:HDRr", "J:50:2:HDRm",
                                      "J:56:1:HDRb", "J:54:1:HDRd"}));

        // Every section arrived whole, padded to whole blocks, and was answered.
        const QList<FlashTargetController::Section> hcc = m_sim->hcc()->sections().mid(hccBefore);
        const QList<FlashTargetController::Section> key = m_sim->key()->sections().mid(keyBefore);
        QCOMPARE(hcc.size(), 5);
        QCOMPARE(key.size(), 1);
        const auto padded = [](const QByteArray& s, int blocks) {
            return s.mid(8) + QByteArray(blocks * 65536 - (s.size() - 8), '\0');
        };
        QCOMPARE(hcc.at(0).data, padded(section('h', 300), 1));
        QCOMPARE(key.at(0).data, padded(section('k', 0), 1));
        QCOMPARE(hcc.at(1).data, padded(section('r', 65536), 1));
        QCOMPARE(hcc.at(2).data, padded(section('m', 65537), 2));
        QCOMPARE(hcc.at(3).data, padded(section('b', 1000), 1));
        QCOMPARE(hcc.at(4).data, padded(section('d', 100), 1));
        for (const auto& s : hcc + key)
            QVERIFY(s.answered);

        // Then the head reset and the two pushes, and the new version on record.
        int lastPacket = 0;
        for (int i = 0; i < m_heard.size(); ++i) {
            if (m_heard.at(i).type == eSetEepromMsg)
                lastPacket = i;
        }
        QStringList after;
        for (const QuarnBusMsg& msg : m_heard.mid(lastPacket + 1)) {
            if (msg.type == eMasterResetRequest || msg.type == eSetBBMFlashMsg ||
                msg.type == eSetLEDFlashMsg)
                after << QStringLiteral("%1 to %2").arg(int(msg.type)).arg(QChar(msg.destId));
        }
        QCOMPARE(after, (QStringList{"18 to J", "20 to H", "21 to H"}));
        QCOMPARE(readFile(Board::Get().VersionRecord()), QByteArray("2.5.1\n"));
        QVERIFY(!QFile::exists(SDCardUpdate::FailedUpdateRecordPath()));
        QCOMPARE(readFile(cardFile(UpdatePackage::kImageFileName)), *contents.image);
        QCOMPARE(dialog.dialogStep(), int(TscSDCardUpdateDialog::eUpdateComplete));
        // The output power went to 0 before anything else of the update (a level restored
        // by the test before may still be on the line ahead of it).
        const auto first = std::find_if(m_heard.begin(), m_heard.end(), [](const QuarnBusMsg& m) {
            return !(m.type == eSetPowerLevelMsg && m.bodyByte(0) == 7);
        });
        QVERIFY(first != m_heard.end());
        QCOMPARE(first->type, eSetPowerLevelMsg);
        QCOMPARE(first->bodyByte(0), quint8(0));
    }

    void controllerFault_stopsTheUpdate_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("state");
        QTest::newRow("silent after the erase")
            << int(Fault::SilentErase) << int(SDCardUpdate::eNoAnswer) << 400
            << "HCC may be erased.";
        QTest::newRow("silent after the last packet")
            << int(Fault::SilentWrite) << int(SDCardUpdate::eNoAnswer) << 400
            << "HCC is erased and not working.";
        QTest::newRow("wrong checksum")
            << int(Fault::BadChecksum) << int(SDCardUpdate::eBadChecksum) << 0
            << "HCC is erased and not working.";
    }

    void controllerFault_stopsTheUpdate()
    {
        QFETCH(int, fault);
        QFETCH(int, error);
        QFETCH(int, timeoutMs);
        QFETCH(QString, state);
        m_sim->hcc()->setFault(Fault(fault));
        const int sectionsBefore = m_sim->hcc()->sections().size();
        PackageContents contents;
        contents.sections = {{"ha24", section('h', 3000)}, {"master", section('m', 10)}};
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(contents));
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        QElapsedTimer sinceLastRequest;
        sinceLastRequest.start();
        connect(m_sim->port(), &SimPort::received, &dialog,
                [&](const QuarnBusMsg&) { sinceLastRequest.start(); });
        outcome.runThrough();
        const qint64 waited = sinceLastRequest.elapsed();

        QCOMPARE(outcome.errors.size(), 1);
        QCOMPARE(outcome.errors.value(0), error);
        // The time-out runs from the last request the controller heard.
        QVERIFY2(waited >= timeoutMs - 50, qPrintable(QString::number(waited)));
        QCOMPARE(m_sim->hcc()->sections().size(),
                 sectionsBefore + 1); // nothing after the failed one
        QVERIFY(heard(eMasterResetRequest).isEmpty());
        QCOMPARE(outcome.completions, 0);
        QCOMPARE(readFile(Board::Get().VersionRecord()), QByteArray("2.4.0\n"));
        // Says which controller, how far it got and how to retry; and stays on record.
        const QString text = dialog.findChild<QTextBrowser*>()->toPlainText();
        QVERIFY2(text.contains(state) && text.contains("Re-insert the SD card"), qPrintable(text));
        QVERIFY2(SDCardUpdate::FailedUpdateRecord().contains("HCC"),
                 qPrintable(SDCardUpdate::FailedUpdateRecord()));
        QCOMPARE(PowerLevelUserSetting().Get(), quint8(7));
    }

    void noImageNoFirmware_goesStraightToCompletion()
    {
        PackageContents contents;
        contents.major = 9;
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(contents));
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog);
        outcome.runThrough();
        QVERIFY(outcome.errors.isEmpty());
        QCOMPARE(readFile(Board::Get().VersionRecord()), QByteArray("9.0.0\n"));
        QVERIFY(heard(eSetEepromMsg).isEmpty());
        QVERIFY(heard(eMasterResetRequest).isEmpty());
    }

    void freeSpace_mustExceed99999999Bytes_data()
    {
        QTest::addColumn<quint64>("free");
        QTest::addColumn<bool>("enough");
        QTest::newRow("99,999,999") << quint64(99'999'999) << false;
        QTest::newRow("100,000,000") << quint64(100'000'000) << true;
    }

    void freeSpace_mustExceed99999999Bytes()
    {
        QFETCH(quint64, free);
        QFETCH(bool, enough);
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(PackageContents()));
        TscSDCardUpdateDialog dialog;
        Outcome outcome(dialog, free);
        outcome.runThrough();
        QCOMPARE(outcome.completions, enough ? 1 : 0);
        QCOMPARE(outcome.errors.size(), enough ? 0 : 1);
        if (!enough)
            QCOMPARE(outcome.errors.value(0), int(SDCardUpdate::eNoSpace));
    }

    void cancel_leavesNoThreadRunning()
    {
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(PackageContents()));
        const int threadsBefore = threadCount();
        auto* dialog = new TscSDCardUpdateDialog;
        Outcome outcome(*dialog);
        dialog->on_okButton_clicked();
        QTRY_COMPARE(dialog->dialogStep(), int(TscSDCardUpdateDialog::eWaitingForInstall));
        QuarnTest::LogCapture log;
        dialog->on_cancelButton_clicked();
        QCOMPARE(dialog->result(), 1);
        QTRY_VERIFY(dialog->worker()->isFinished());
        QVERIFY(log.contains(QStringLiteral("Cancelling")));
        QCOMPARE(PowerLevelUserSetting().Get(), quint8(7));
        delete dialog;
        QTRY_COMPARE(threadCount(), threadsBefore);
        QCOMPARE(readFile(Board::Get().VersionRecord()), QByteArray("2.4.0\n"));
    }

    void dialogGone_whileWaitingForAController_joinsTheWorker()
    {
        m_sim->hcc()->setFault(Fault::SilentErase);
        PackageContents contents;
        contents.sections = {{"ha24", section('h', 30)}};
        writeFile(cardFile(UpdatePackage::kFileName), PackageBuilder::Build(contents));
        const int threadsBefore = threadCount();
        auto* dialog = new TscSDCardUpdateDialog;
        Outcome outcome(*dialog);
        dialog->worker()->setTiming({}); // the real 20 s erase time-out
        dialog->on_okButton_clicked();
        QTRY_COMPARE(dialog->dialogStep(), int(TscSDCardUpdateDialog::eWaitingForInstall));
        dialog->on_okButton_clicked();
        QTRY_COMPARE(outcome.erased.size(), 1);
        QElapsedTimer timer;
        timer.start();
        delete dialog;
        QVERIFY(timer.elapsed() < 1000);
        QTRY_COMPARE(threadCount(), threadsBefore);
    }
};

QUARN_TEST_MAIN_APP(QApplication, TestSdCardUpdate, QuarnResources::Init())
#include "tst_sdCardUpdate.moc"
