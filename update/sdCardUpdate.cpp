#include "update/sdCardUpdate.h"

#include "board/board.h"
#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "services/sdCardMonitor.h"
#include "services/versionInfo.h"
#include "settings/adminOptionsSettings.h"
#include "settings/powerLevelUserSetting.h"
#include "update/updateSignature.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>

#include <chrono>

using namespace UpdatePackage;

namespace {
constexpr int kDoneSleepMs = 1000;
constexpr int kOperatorSleepMs = 500;
constexpr int kMicroSleepMs = 10;
constexpr int kLineSleepMs = 1;
// Longest wait for the line to take a section's last packets before the write time-out
// starts regardless.
constexpr int kLineDrainLimitMs = 20000;
constexpr int kVersionLineMax = 9;
constexpr const char* kFailedRecordName = "vek_update_failed.txt";

struct SignaturePolicy
{
    bool required = false;
    QList<QByteArray> keys = MakerKeys();
};

SignaturePolicy& signaturePolicy()
{
    static SignaturePolicy policy;
    return policy;
}
} // namespace

SDCardUpdate::SDCardUpdate(QObject* parent)
    : QThread(parent),
      m_freeSpace([](const QString& folder) { return Board::Get().FreeBytes(folder); }),
      m_timeout(new QTimer(this)), m_cardWatch(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, &SDCardUpdate::noMicroResponse);
    connect(m_cardWatch, &QTimer::timeout, this, &SDCardUpdate::watchCard);
}

SDCardUpdate::~SDCardUpdate()
{
    requestStop();
    wait();
    std::lock_guard<std::mutex> lock(m_wakeMutex);
}

void SDCardUpdate::setFreeSpaceProbe(std::function<quint64(const QString&)> probe)
{
    m_freeSpace = std::move(probe);
}

void SDCardUpdate::SetSignatureRequired(bool required)
{
    signaturePolicy().required = required;
}

bool SDCardUpdate::SignatureRequired()
{
    return signaturePolicy().required;
}

void SDCardUpdate::SetTrustedKeys(const QList<QByteArray>& keys)
{
    signaturePolicy().keys = keys;
}

QList<QByteArray> SDCardUpdate::TrustedKeys()
{
    return signaturePolicy().keys;
}

std::optional<QByteArray> SDCardUpdate::checkedInstaller()
{
    std::lock_guard<std::mutex> lock(m_versionMutex);
    return m_installer;
}

void SDCardUpdate::startUpdate(Priority priority)
{
    m_cardRoot = SdCardMonitor::Get()->GetSdCardRootFolder();
    m_headCode = VersionInfo::Get()->GetHeadHardwareCode();
    m_keypadCode = VersionInfo::Get()->GetKeypadHardwareCode();
    m_signatureRequired = signaturePolicy().required;
    m_trustedKeys = signaturePolicy().keys;
    m_cardProgressSeen = -1;
    m_cardStill.start();
    m_cardWatch->start(qMax(10, m_timing.cardStallMs / 5));
    start(priority);
}

QString SDCardUpdate::FailedUpdateRecordPath()
{
    return QFileInfo(Board::Get().VersionRecord()).dir().filePath(QLatin1String(kFailedRecordName));
}

QString SDCardUpdate::FailedUpdateRecord()
{
    QFile record(FailedUpdateRecordPath());
    if (!record.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(record.read(4096)).trimmed();
}

void SDCardUpdate::RecordFailedUpdate(const QString& what)
{
    QSaveFile record(FailedUpdateRecordPath());
    const QByteArray text = what.toUtf8() + '\n';
    // Flushed first: commit() alone takes a write refused for want of space for success.
    if (!record.open(QIODevice::WriteOnly) || record.write(text) != text.size() ||
        !record.flush() || !record.commit())
        qDebug() << "Failed update not recorded:" << what;
    Board::Get().SyncFileSystems();
}

void SDCardUpdate::watchCard()
{
    // A read of a dying card (or of anything that never answers) cannot be interrupted: the
    // update gives up on it here, and the worker, once the read returns, ends unseen.
    const qint64 progress = m_cardProgress;
    if (!m_cardBusy || progress != m_cardProgressSeen) {
        m_cardProgressSeen = progress;
        m_cardStill.start();
        return;
    }
    if (m_stop || m_cardStill.elapsed() < m_timing.cardStallMs)
        return;
    m_cardWatch->stop();
    qDebug() << "SD card not answering.";
    requestStop();
    restoreOutputPower();
    emit errorCode(eCardNotAnswering);
}

void SDCardUpdate::restoreOutputPower()
{
    if (m_powerLowered.exchange(false))
        PowerLevelUserSetting().Set(m_powerBefore);
}

void SDCardUpdate::requestStop()
{
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

QString SDCardUpdate::packagePath() const
{
    return QDir(m_cardRoot).filePath(QLatin1String(kFileName));
}

QString SDCardUpdate::imagePath() const
{
    return QDir(m_cardRoot).filePath(QLatin1String(kImageFileName));
}

QString SDCardUpdate::installerPath() const
{
    return QDir(m_cardRoot).filePath(QLatin1String(SdCardMonitor::kUpdateScript));
}

void SDCardUpdate::run()
{
    while (!m_stop) {
        if (m_closeRequested.exchange(false)) {
            m_package.Close();
            m_packageOpen = false;
        }
        runStep(m_step);
    }
    // Released under the lock that the destructor takes after wait(): a hand-over that
    // thread checkers can see, unlike QThread::wait itself.
    std::lock_guard<std::mutex> lock(m_wakeMutex);
    m_package.Close();
    m_packageOpen = false;
}

void SDCardUpdate::runStep(int step)
{
    switch (step) {
    case eStepVerify:
        verify();
        return;
    case eStepVersions:
        readVersions();
        return;
    case eStepSpace:
        checkSpace();
        return;
    case eStepImage:
        extractImage();
        return;
    case eStepHeader:
        parseHeader();
        return;
    case eStepHeadReset:
        resetHead();
        return;
    case eStepPushBbm:
        pushImage(m_sections[eSlotBbm].IsPresent(), Await::BbmPush, eStepPushHdc);
        return;
    case eStepPushHdc:
        pushImage(m_sections[eSlotHdc].IsPresent(), Await::HdcPush, eStepDone);
        return;
    case eStepDone:
        pause(kDoneSleepMs);
        return;
    case eStepWaitOperator:
    case eStepFailed:
        pause(kOperatorSleepMs);
        return;
    case eStepWaitMicro:
        pause(kMicroSleepMs);
        return;
    case eStepClosePackage:
        m_package.Close();
        m_packageOpen = false;
        m_step = eStepWaitOperator;
        return;
    default:
        break;
    }
    const int row = RowOfStep(step);
    if (row < 0) {
        pause(kOperatorSleepMs);
        return;
    }
    if (ActionOfStep(step) == SectionAction::Erase)
        eraseSectionOfRow(row);
    else
        writeSectionOfRow(row);
}

void SDCardUpdate::verify()
{
    // No transmission while the controllers are being reprogrammed; a cancel or a failure
    // gives the level back.
    {
        PowerLevelUserSetting power;
        m_powerBefore = power.Get();
        m_powerLowered = true;
        power.Set(0);
    }
    m_cardBusy = true;
    bool opened = false;
    if (m_packageSource) {
        if (FILE* file = m_packageSource()) {
            m_package.Adopt(file);
            opened = true;
        }
    } else {
        opened = m_package.Open(packagePath());
    }
    if (!opened) {
        m_cardBusy = false;
        if (!m_stop)
            fail(eFileError, eStepFailed, "File Error.");
        return;
    }
    m_packageOpen = true;

    // Digest, plan and the sections to program in one pass: nothing read from the card
    // after it is trusted, so a card changed while the operator decides changes nothing.
    LoadOptions options;
    options.key = IntegrityKey();
    options.headVariant900 = AdminOptionsSettings().IsHeadVariant900();
    options.keep = [this](const SectionTable& table, int slot) {
        for (int row = 0; row < kPlanRows; ++row) {
            if (kPlan.at(size_t(row)).slot == slot &&
                ShouldProgram(row, table, m_headCode, m_keypadCode))
                return true;
        }
        return false;
    };
    options.stop = &m_stop;
    options.progress = &m_cardProgress;
    const LoadError result = m_package.Load(options, &m_checked);
    m_cardBusy = false;
    if (m_stop)
        return;
    switch (result) {
    case LoadError::None:
        break;
    case LoadError::Stopped:
        return;
    case LoadError::Mismatch:
    case LoadError::ReadError:
        fail(eInvalidPackage, eStepFailed, "Hash doesn't match.");
        return;
    case LoadError::TooShort:
        fail(eInvalidPackage, eStepFailed, "Update file too short.");
        return;
    case LoadError::NoHeader:
        fail(eInvalidPackage, eStepFailed, "Firmware header not found.");
        return;
    case LoadError::HeaderNotObject:
        fail(eInvalidPackage, eStepFailed, "Firmware header is no JSON object.");
        return;
    case LoadError::HeaderNotArray:
    case LoadError::HeaderNotInteger:
        fail(eInvalidPackage, eStepFailed); // the parser said which
        return;
    case LoadError::SectionsUnsound:
        fail(eInvalidPackage, eStepFailed, "Firmware section outside the update file.");
        return;
    case LoadError::NoMemory:
        fail(eInvalidPackage, eStepFailed, "Firmware sections too large for memory.");
        return;
    }
    if (!checkSignature())
        return;
    m_version = m_checked.version;
    m_sections = m_checked.sections;
    m_step = eStepVersions;
}

bool SDCardUpdate::checkSignature()
{
    std::optional<QByteArray> installer;
    QByteArray installerDigest;
    if (m_checked.signature.state == SignatureBlock::State::Present) {
        // Read once, here, before the first prompt: what runs later is this copy, so a
        // script changed on the card after the check never runs.
        m_cardBusy = true;
        installer = ReadInstaller(installerPath(), &m_cardProgress);
        m_cardBusy = false;
        if (m_stop)
            return false;
        if (installer)
            installerDigest = QCryptographicHash::hash(*installer, QCryptographicHash::Sha256);
    }
    QByteArray signer;
    const char* refusal = nullptr;
    switch (CheckSignature(m_checked.signature, installerDigest, m_trustedKeys, &signer)) {
    case SignatureCheck::Unsigned:
        if (!m_signatureRequired)
            return true;
        refusal = "Update not signed.";
        break;
    case SignatureCheck::Good: {
        qDebug().noquote() << "Update signed by key" << KeyTag(signer);
        std::lock_guard<std::mutex> lock(m_versionMutex);
        m_installer = installer;
        return true;
    }
    case SignatureCheck::Malformed:
        refusal = "Update signature block malformed.";
        break;
    case SignatureCheck::UnknownKey:
        refusal = "Update signed by no key this unit holds.";
        break;
    case SignatureCheck::BadSignature:
        refusal = "Update signature does not verify.";
        break;
    case SignatureCheck::ScriptMismatch:
        refusal =
            installer ? "Update script is not the one signed." : "Update script not readable.";
        break;
    }
    fail(eNotSigned, eStepFailed, refusal);
    return false;
}

void SDCardUpdate::readVersions()
{
    QFile record(Board::Get().VersionRecord());
    if (!record.open(QIODevice::ReadOnly)) {
        fail(eFileError, eStepFailed, "Version File Open Error");
        return;
    }
    QByteArray line = record.readLine();
    record.close();
    line.truncate(kVersionLineMax);

    const QString offered = m_version.text();
    {
        std::lock_guard<std::mutex> lock(m_versionMutex);
        m_newVersion = offered;
    }
    awaitAnswer(eStepWaitOperator, Await::Consent);
    emit versionID(QString::fromLatin1(line), offered);
}

void SDCardUpdate::checkSpace()
{
    if (m_freeSpace(m_cardRoot) >= kRequiredCardSpace) {
        m_step = eStepImage;
        return;
    }
    fail(eNoSpace, eStepWaitOperator, "We don't have enough space");
}

void SDCardUpdate::extractImage()
{
    if (!m_version.hasImage) {
        emit setProgress(25);
        m_step = eStepHeader;
        return;
    }
    // The image goes to the card: a write-protected card refuses it here, even where the
    // file system would take the write.
    if (!m_cardWritable) {
        fail(eCardReadOnly, eStepWaitOperator, "SD card is read-only.");
        return;
    }
    const QString path = imagePath();
    m_cardBusy = true;
    if (QFile::remove(path))
        qDebug() << "old squash file removed.";
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out) {
        m_cardBusy = false;
        if (!m_stop)
            fail(eFileError, eStepWaitOperator, "squash file open error.");
        return;
    }
    emit SDspaceOK();
    const PackageFile::Copy result =
        m_package.CopyCheckedImage(out, m_checked, m_stop, &m_cardProgress);
    const bool closed = std::fclose(out) == 0;
    m_cardBusy = false;
    if (result != PackageFile::Copy::Done || !closed) {
        QFile::remove(path);
        if (result == PackageFile::Copy::Stopped || m_stop)
            return;
        if (result == PackageFile::Copy::WriteError || !closed)
            fail(eFileError, eStepWaitOperator, "squash file write error.");
        else if (result == PackageFile::Copy::Changed)
            fail(eInvalidPackage, eStepWaitOperator, "squash image changed on the card.");
        else
            fail(eInvalidPackage, eStepWaitOperator, "squash image read error.");
        return;
    }
    if (m_stop)
        return;
    // Everything else comes from memory now.
    m_package.Close();
    m_packageOpen = false;
    awaitAnswer(eStepWaitOperator, Await::Script);
    emit installFS();
}

void SDCardUpdate::parseHeader()
{
    if (!m_version.hasFirmware) {
        complete();
        return;
    }
    // Header and sections were checked with the digest, before the image or the script
    // changed anything; the sections to program are in memory.
    m_package.Close();
    m_packageOpen = false;
    m_step = kFirstSectionStep;
}

void SDCardUpdate::eraseSectionOfRow(int row)
{
    const PlanRow& plan = kPlan.at(size_t(row));
    if (!ShouldProgram(row, m_sections, m_headCode, m_keypadCode)) {
        emit setProgress(plan.progressBase);
        m_step = EraseStepOfRow(row + 1);
        return;
    }
    const Section& section = m_sections.at(size_t(plan.slot));
    // The bytes the digest was checked over, kept since: the card is not read again.
    m_sectionData = m_checked.data.at(size_t(plan.slot));
    if (m_sectionData.size() != section.length) {
        fail(eInvalidPackage, eStepWaitOperator, "Firmware section not checked.");
        return;
    }
    QByteArray body;
    body.append(char(SectionGeometry(section.length).blocks));
    body.append(char(section.id));
    body.append(m_sectionData.left(kSectionHeaderSize));

    emit eraseSection(QString::fromLatin1(plan.name));
    m_sectionRow = row;
    awaitAnswer(eStepWaitMicro, Await::Erase);
    armTimeout(Await::Erase, m_timing.eraseAnswerMs);
    QuarnBus::Get()->sendMsg(SetEepromMsgReq(plan.device, SetEepromMsgReq::kErase, body));
}

void SDCardUpdate::writeSectionOfRow(int row)
{
    const PlanRow& plan = kPlan.at(size_t(row));
    const Geometry geometry = SectionGeometry(m_sectionData.size());
    const QByteArray data = m_sectionData.mid(kSectionHeaderSize);
    // The fill is zeros, so the sum of the data is the sum of every packet.
    m_checksum = ByteSum(data);
    emit writeSection(QString::fromLatin1(plan.name));
    // Waiting starts before the first packet: the answer may come as soon as the last one
    // is on the line.
    awaitAnswer(eStepWaitMicro, Await::Write);

    QuarnBus* bus = QuarnBus::Get();
    for (qint64 packet = 0; packet < geometry.packets; ++packet) {
        if (m_stop || m_awaiting != Await::Write)
            return;
        QByteArray body = data.mid(int(packet * kPacketSize), kPacketSize);
        body.append(QByteArray(kPacketSize - body.size(), '\0'));
        if (bus->outputBacklog() > kMaxLineBacklog && !waitForLine(kLineDrainLimitMs))
            return;
        bus->sendMsg(SetEepromMsgReq(plan.device, SetEepromMsgReq::kWrite, body));
    }
    // The time-out counts from when the head has the last packet, not from when it was
    // queued for the line.
    waitForLine(kLineDrainLimitMs);
    armTimeout(Await::Write, m_timing.writeAnswerMs);
}

bool SDCardUpdate::waitForLine(int ms)
{
    QuarnBus* bus = QuarnBus::Get();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (bus->outputBacklog() > 0 && std::chrono::steady_clock::now() < deadline) {
        if (m_stop)
            return false;
        QThread::msleep(kLineSleepMs);
    }
    return !m_stop;
}

void SDCardUpdate::resetHead()
{
    QuarnBus::Get()->sendMsg(MasterResetRequest(BusId::Hcc));
    emit rebootHead();
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timing.headResetPauseMs);
    std::unique_lock<std::mutex> lock(m_wakeMutex);
    m_wake.wait_until(lock, until, [this] { return bool(m_stop); });
    lock.unlock();
    m_step = eStepPushBbm;
}

void SDCardUpdate::pushImage(bool present, Await answer, int nextStep)
{
    const bool bbm = answer == Await::BbmPush;
    if (!present) {
        if (bbm) {
            emit setProgress(90);
            m_step = nextStep;
        } else {
            complete();
        }
        return;
    }
    awaitAnswer(eStepWaitMicro, answer);
    if (bbm)
        emit pushBBM();
    else
        emit pushHDC();
    QuarnBus::Get()->sendMsg(
        SetFlashMsgReq(bbm ? SetFlashMsgReq::Image::Bbm : SetFlashMsgReq::Image::Hdc));
}

QString SDCardUpdate::newVersion()
{
    std::lock_guard<std::mutex> lock(m_versionMutex);
    return m_newVersion;
}

void SDCardUpdate::recordFailure(const QString& where)
{
    const QString version = newVersion().trimmed();
    RecordFailedUpdate(
        (version.isEmpty() ? QStringLiteral("Update") : QStringLiteral("Update to ") + version) +
        QStringLiteral(" failed at ") + where + QLatin1Char('.'));
}

void SDCardUpdate::complete()
{
    const QString version = newVersion();
    // The record is written in full before the update is called complete, and replaced
    // whole: a flash too full for it keeps the old one.
    QSaveFile record(Board::Get().VersionRecord());
    const QByteArray text = version.toLatin1();
    const bool written = record.open(QIODevice::WriteOnly) && record.write(text) == text.size() &&
                         record.flush() && record.commit();
    m_closeRequested = true;
    if (!written) {
        qDebug() << "Version File Open Error";
        setStep(eStepFailed);
        emit errorCode(eFileError);
        return;
    }
    QFile::remove(FailedUpdateRecordPath());
    emit completeUpdate();
    Board::Get().RunSyncCommand();
    setStep(eStepDone);
}

void SDCardUpdate::fail(int code, int nextStep, const char* message)
{
    if (message)
        qDebug() << message;
    m_package.Close();
    m_packageOpen = false;
    m_awaiting = Await::Nothing;
    m_step = nextStep;
    restoreOutputPower();
    emit errorCode(code);
}

void SDCardUpdate::failFromGui(int code, Erased erased)
{
    const int row = m_sectionRow;
    m_failure = {row >= 0 ? QString::fromLatin1(kPlan.at(size_t(row)).name) : QString(), erased};
    if (!m_failure.part.isEmpty()) {
        recordFailure(m_failure.part + QStringLiteral(" (") +
                      (erased == Erased::Yes     ? QStringLiteral("erased, not written")
                       : erased == Erased::Maybe ? QStringLiteral("erase not confirmed")
                                                 : QStringLiteral("not erased")) +
                      QLatin1Char(')'));
    }
    restoreOutputPower();
    emit errorCode(code);
    setStep(eStepClosePackage);
}

void SDCardUpdate::scriptFailed()
{
    recordFailure(QStringLiteral("the file system (the card's script failed)"));
    restoreOutputPower();
}

void SDCardUpdate::awaitAnswer(int step, Await answer)
{
    m_awaiting = answer;
    m_step = step;
}

void SDCardUpdate::armTimeout(Await answer, int ms)
{
    // The timer belongs to the GUI thread; an answer that came first leaves it off.
    QMetaObject::invokeMethod(
        this,
        [this, answer, ms] {
            if (m_awaiting == answer)
                m_timeout->start(ms);
        },
        Qt::QueuedConnection);
}

bool SDCardUpdate::takeAwait(Await answer)
{
    Await expected = answer;
    return m_awaiting.compare_exchange_strong(expected, Await::Nothing);
}

void SDCardUpdate::setStep(int step)
{
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_step = step;
    }
    m_wake.notify_all();
}

void SDCardUpdate::pause(int ms)
{
    const int step = m_step;
    std::unique_lock<std::mutex> lock(m_wakeMutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms),
                    [&] { return m_stop || m_closeRequested || m_step != step; });
}

void SDCardUpdate::testCard()
{
    // Asked here, on the thread the card monitor lives on, at the operator's consent.
    m_cardWritable = SdCardMonitor::Get()->IsCardWritable();
    if (takeAwait(Await::Consent))
        setStep(eStepSpace);
}

void SDCardUpdate::parseFile()
{
    if (takeAwait(Await::Script))
        setStep(eStepHeader);
}

void SDCardUpdate::doLED()
{
    if (takeAwait(Await::BbmPush))
        setStep(eStepPushHdc);
}

void SDCardUpdate::doComplete()
{
    if (takeAwait(Await::HdcPush))
        complete();
}

void SDCardUpdate::doCanceled()
{
    if (m_packageOpen)
        qDebug() << "Cancelling";
    restoreOutputPower();
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_closeRequested = true;
    }
    m_wake.notify_all();
}

void SDCardUpdate::microUpdate()
{
    m_timeout->stop();
    if (takeAwait(Await::Erase))
        setStep(WriteStepOfRow(m_sectionRow));
}

void SDCardUpdate::writeTest(u_int32_t checksum)
{
    if (!takeAwait(Await::Write))
        return;
    m_timeout->stop();
    if (checksum != m_checksum) {
        qDebug() << "Bad checksum" << Qt::hex << checksum << "expected" << m_checksum.load();
        failFromGui(eBadChecksum, Erased::Yes);
        return;
    }
    setStep(FirstStepOfNextGroup(m_sectionRow));
}

void SDCardUpdate::noMicroResponse()
{
    m_timeout->stop();
    if (takeAwait(Await::Erase))
        failFromGui(eNoAnswer, Erased::Maybe);
    else if (takeAwait(Await::Write))
        failFromGui(eNoAnswer, Erased::Yes);
}
