#include "update/sdCardUpdate.h"

#include "board/board.h"
#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "services/sdCardMonitor.h"
#include "services/versionInfo.h"
#include "settings/adminOptionsSettings.h"
#include "settings/powerLevelUserSetting.h"

#include <QDebug>
#include <QDir>
#include <QFile>
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
} // namespace

SDCardUpdate::SDCardUpdate(QObject* parent)
    : QThread(parent),
      m_freeSpace([](const QString& folder) { return Board::Get().FreeBytes(folder); }),
      m_timeout(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    connect(m_timeout, &QTimer::timeout, this, &SDCardUpdate::noMicroResponse);
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

void SDCardUpdate::startUpdate(Priority priority)
{
    m_cardRoot = SdCardMonitor::Get()->GetSdCardRootFolder();
    m_headCode = VersionInfo::Get()->GetHeadHardwareCode();
    m_keypadCode = VersionInfo::Get()->GetKeypadHardwareCode();
    start(priority);
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
    if ((step - kFirstSectionStep) % 2 == 0)
        eraseSectionOfRow(step, row);
    else
        writeSectionOfRow(row);
}

void SDCardUpdate::verify()
{
    // No transmission while the controllers are being reprogrammed.
    PowerLevelUserSetting().Set(0);
    if (!m_package.Open(packagePath())) {
        fail(eFileError, eStepFailed, "File Error.");
        return;
    }
    m_packageOpen = true;
    if (m_package.Verify(IntegrityKey()) != PackageFile::Check::Match) {
        fail(eInvalidPackage, eStepFailed, "Hash doesn't match.");
        return;
    }
    m_step = eStepVersions;
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

    const auto version = m_package.ReadVersion();
    if (!version) {
        fail(eInvalidPackage, eStepFailed, "Update file too short.");
        return;
    }
    m_version = *version;
    const QString newVersion = m_version.text();
    {
        std::lock_guard<std::mutex> lock(m_versionMutex);
        m_newVersion = newVersion;
    }
    awaitAnswer(eStepWaitOperator, Await::Consent);
    emit versionID(QString::fromLatin1(line), newVersion);
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
    const QString path = imagePath();
    if (QFile::remove(path))
        qDebug() << "old squash file removed.";
    // Checked before anything is written: an image that runs past the end of the file is
    // no image, and a partial one must never reach the update script.
    if (!m_package.ReadImageLength()) {
        fail(eInvalidPackage, eStepWaitOperator,
             "Squash image runs past the end of the update file.");
        return;
    }
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out) {
        fail(eFileError, eStepWaitOperator, "squash file open error.");
        return;
    }
    emit SDspaceOK();
    const PackageFile::Copy result = m_package.CopyImage(out, m_stop);
    const bool closed = std::fclose(out) == 0;
    if (result != PackageFile::Copy::Done || !closed) {
        QFile::remove(path);
        if (result == PackageFile::Copy::Stopped)
            return;
        if (result == PackageFile::Copy::WriteError || !closed)
            fail(eFileError, eStepWaitOperator, "squash file write error.");
        else
            fail(eInvalidPackage, eStepWaitOperator, "squash image read error.");
        return;
    }
    awaitAnswer(eStepWaitOperator, Await::Script);
    emit installFS();
}

void SDCardUpdate::parseHeader()
{
    if (!m_version.hasFirmware) {
        complete();
        return;
    }
    qint64 base = 0;
    const auto header = m_package.ReadFirmwareHeader(m_version, &base);
    if (!header) {
        fail(eInvalidPackage, eStepWaitOperator, "Firmware header not found.");
        return;
    }
    m_sections = {};
    switch (ParseFirmwareHeader(*header, AdminOptionsSettings().IsHeadVariant900(), m_sections)) {
    case HeaderError::None:
        break;
    case HeaderError::NotAnObject:
        fail(eInvalidPackage, eStepWaitOperator, "Firmware header is no JSON object.");
        return;
    case HeaderError::NotAnArray:
    case HeaderError::NotAnInteger:
        fail(eInvalidPackage, eStepWaitOperator);
        return;
    }
    // Refused before the first erase: a controller must never be left erased by a
    // package that cannot fill it.
    if (!SectionsAreSound(m_sections, base, m_package.Size())) {
        fail(eInvalidPackage, eStepWaitOperator, "Firmware section outside the update file.");
        return;
    }
    m_sectionBase = base;
    m_step = kFirstSectionStep;
}

void SDCardUpdate::eraseSectionOfRow(int step, int row)
{
    const PlanRow& plan = kPlan.at(size_t(row));
    if (!ShouldProgram(row, m_sections, m_headCode, m_keypadCode)) {
        emit setProgress(plan.progressBase);
        m_step = step + 2;
        return;
    }
    const Section& section = m_sections.at(size_t(plan.slot));
    // The whole section is read before the erase: a card that fails now leaves the
    // controller untouched, and one pulled during the write cannot starve it.
    const auto data = m_package.ReadAt(m_sectionBase + section.offset, section.length);
    if (!data) {
        fail(eInvalidPackage, eStepWaitOperator, "Firmware section read error.");
        return;
    }
    m_sectionData = *data;
    QByteArray body;
    body.append(char(SectionGeometry(section.length).blocks));
    body.append(char(section.id));
    body.append(m_sectionData.left(kSectionHeaderSize));

    emit eraseSection(QString::fromLatin1(plan.name));
    m_pendingStep = step;
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

void SDCardUpdate::complete()
{
    QString version;
    {
        std::lock_guard<std::mutex> lock(m_versionMutex);
        version = m_newVersion;
    }
    // The record is written in full before the update is called complete.
    QFile record(Board::Get().VersionRecord());
    const QByteArray text = version.toLatin1();
    const bool written = record.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         record.write(text) == text.size() && record.flush();
    record.close();
    m_closeRequested = true;
    if (!written) {
        qDebug() << "Version File Open Error";
        setStep(eStepFailed);
        emit errorCode(eFileError);
        return;
    }
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
    emit errorCode(code);
}

void SDCardUpdate::failFromGui(int code)
{
    emit errorCode(code);
    setStep(eStepClosePackage);
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
        setStep(m_pendingStep + 1);
}

void SDCardUpdate::writeTest(u_int32_t checksum)
{
    if (!takeAwait(Await::Write))
        return;
    m_timeout->stop();
    if (checksum != m_checksum) {
        qDebug() << "Bad checksum" << Qt::hex << checksum << "expected" << m_checksum.load();
        failFromGui(eBadChecksum);
        return;
    }
    setStep(FirstStepOfNextGroup(RowOfStep(m_pendingStep)));
}

void SDCardUpdate::noMicroResponse()
{
    m_timeout->stop();
    if (takeAwait(Await::Erase) || takeAwait(Await::Write))
        failFromGui(eNoAnswer);
}
