#include "board/board.h"

#include "board/touchCalibration.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <cmath>
#include <libudev.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
constexpr const char* kSerialDevice = "/dev/ttyO1";
constexpr const char* kSettingsRoot = "/media/mmcblk0p4/Settings";
constexpr const char* kFlashTestFolder = "/media/mmcblk0p4/home/settings/";
constexpr const char* kCardRoot = "/media/mmcblk1p1/";
constexpr const char* kMountTable = "/proc/mounts";
constexpr const char* kVersionRecord = "/media/mmcblk0p1/version.txt";
constexpr const char* kBacklightBrightness = "/sys/class/backlight/tps65217-bl/brightness";
constexpr const char* kBacklightPower = "/sys/class/backlight/tps65217-bl/bl_power";
constexpr const char* kTouchCalibration = "/media/mmcblk0p4/Settings/pointercal";
constexpr const char* kCardPresenceMarker = "/dev/mmcblk1";
constexpr const char* kRuntimeFolder = "/run/quarn24ex";
constexpr const char* kCardSubsystem = "block";
constexpr const char* kCardIdProperty = "ID_PATH";
constexpr const char* kCardIdPath = "platform-omap_hsmmc.1";
constexpr const char* kCardPartition = "mmcblk1p1";
constexpr const char* kCaptureMarker = "capture";
constexpr const char* kDateFormat = "yyyy.MM.dd-hh:mm:ss";
// The internal flash as the board mounts it; the card's line comes and goes with the card.
constexpr const char* kSandboxMounts = "/dev/mmcblk0p2 / ext4 rw,relatime 0 0\n"
                                       "/dev/mmcblk0p1 /media/mmcblk0p1 vfat rw,relatime 0 0\n"
                                       "/dev/mmcblk0p4 /media/mmcblk0p4 ext4 rw,relatime 0 0\n";
constexpr const char* kSandboxVersion = "2.4.0\n";

void writeIfMissing(const QString& path, const QByteArray& content)
{
    if (QFileInfo::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}
} // namespace

Board& Board::Get()
{
    static Board board;
    return board;
}

Board::Board() : m_serialDevice(QString::fromLatin1(kSerialDevice)) {}

void Board::UseSandbox(const QString& root, const QString& serialDevice)
{
    Board& board = Get();
    board.m_root = QDir::cleanPath(QDir(root).absolutePath());
    board.m_serialDevice = serialDevice;
    board.m_clockOffsetMs = 0;
}

void Board::PrepareSandbox() const
{
    if (!IsSandbox())
        return;
    QDir().mkpath(SettingsRoot());
    QDir().mkpath(FlashTestFolder());
    QDir().mkpath(QFileInfo(CardPresenceMarker()).path());
    writeIfMissing(MountTable(), kSandboxMounts);
    writeIfMissing(BacklightBrightnessFile(), "100\n");
    writeIfMissing(BacklightPowerFile(), "0\n");
    writeIfMissing(VersionRecord(), kSandboxVersion);
}

QString Board::devicePath(const char* path) const
{
    return m_root + QString::fromLatin1(path);
}

QString Board::SettingsRoot() const
{
    return devicePath(kSettingsRoot);
}
QString Board::FlashTestFolder() const
{
    return devicePath(kFlashTestFolder);
}
QString Board::CardRoot() const
{
    return devicePath(kCardRoot);
}
QString Board::MountTable() const
{
    return devicePath(kMountTable);
}
QString Board::VersionRecord() const
{
    return devicePath(kVersionRecord);
}
QString Board::BacklightBrightnessFile() const
{
    return devicePath(kBacklightBrightness);
}
QString Board::BacklightPowerFile() const
{
    return devicePath(kBacklightPower);
}
QString Board::TouchCalibrationFile() const
{
    return devicePath(kTouchCalibration);
}
QString Board::CardPresenceMarker() const
{
    return devicePath(kCardPresenceMarker);
}
QString Board::RuntimeFolder() const
{
    return devicePath(kRuntimeFolder);
}

Board::TouchCalibrationResult Board::SaveTouchCalibration(const QVector<QPointF>& targets,
                                                          const QVector<QPointF>& taps) const
{
    const std::optional<TouchCalibration> fit = TouchCalibration::Fit(targets, taps);
    if (!fit)
        return TouchCalibrationResult::Rejected;
    for (int i = 0; i < targets.size(); ++i) {
        const QPointF miss = fit->Map(taps[i]) - targets[i];
        if (std::hypot(miss.x(), miss.y()) > kTouchTolerancePx)
            return TouchCalibrationResult::Rejected;
    }
    QFile current(TouchCalibrationFile());
    TouchCalibration inForce;
    if (current.open(QIODevice::ReadOnly))
        inForce = TouchCalibration::FromRecord(current.read(4096)).value_or(TouchCalibration());
    current.close();

    // Written whole or not at all: a half record would cost the touch screen at next start.
    // The explicit flush: commit() takes a buffered write that a full flash refused for
    // success and renames the empty file over the record.
    QSaveFile file(TouchCalibrationFile());
    if (!file.open(QIODevice::WriteOnly) || file.write(fit->After(inForce).ToRecord()) < 0 ||
        !file.flush() || !file.commit())
        return TouchCalibrationResult::NotWritten;
    SyncFileSystems();
    return TouchCalibrationResult::Saved;
}

QString Board::BusCaptureFile() const
{
    if (!m_captureFile.isEmpty())
        return m_captureFile;
    if (!IsCardMounted() || !QFileInfo::exists(CardRoot() + QLatin1String(kCaptureMarker)))
        return {};
    // Root on the desktop would write a read-only card all the same.
    if (IsCardReadOnly()) {
        qDebug() << "bus capture not started: card is read-only";
        return {};
    }
    return CardRoot() + Now().toString(QStringLiteral("'vek_bus_'yyyy_MM_dd_hh_mm_ss'.pcapng'"));
}

void Board::UseCaptureFile(const QString& path)
{
    Get().m_captureFile = path;
}

QDateTime Board::Now() const
{
    return QDateTime::currentDateTime().addMSecs(m_clockOffsetMs);
}

void Board::SetSystemTime(const QDateTime& dateTime)
{
    if (IsSandbox()) {
        m_clockOffsetMs = QDateTime::currentDateTime().msecsTo(dateTime);
        return;
    }
    QProcess::startDetached(QStringLiteral("date"),
                            {dateTime.toString(QLatin1String(kDateFormat))});
}

void Board::SyncFileSystems() const
{
    if (!IsSandbox())
        ::sync();
}

void Board::RunSyncCommand() const
{
    if (IsSandbox())
        return;
    QProcess::execute(QStringLiteral("sync"), {});
}

quint64 Board::FreeBytes(const QString& folder) const
{
    struct statvfs info = {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return 0;
    return quint64(info.f_bsize) * quint64(info.f_bfree);
}

bool Board::WriteValue(const QString& path, int value) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    return file.write(QByteArray::number(value) + '\n') > 0;
}

namespace {

class MarkerCardSlotProbe : public CardSlotProbe
{
public:
    explicit MarkerCardSlotProbe(QString marker) : m_marker(std::move(marker)) {}
    bool IsCardInserted() override { return QFileInfo::exists(m_marker); }

private:
    QString m_marker;
};

class UdevCardSlotProbe : public CardSlotProbe
{
public:
    explicit UdevCardSlotProbe(udev* context) : m_context(context) {}
    ~UdevCardSlotProbe() override { udev_unref(m_context); }
    UdevCardSlotProbe(const UdevCardSlotProbe&) = delete;
    UdevCardSlotProbe& operator=(const UdevCardSlotProbe&) = delete;

    bool IsCardInserted() override
    {
        bool inserted = false;
        udev_enumerate* enumerate = udev_enumerate_new(m_context);
        if (!enumerate)
            return false;
        udev_enumerate_add_match_subsystem(enumerate, kCardSubsystem);
        udev_enumerate_scan_devices(enumerate);
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate))
        {
            udev_device* device =
                udev_device_new_from_syspath(m_context, udev_list_entry_get_name(entry));
            if (!device)
                continue;
            const char* idPath = udev_device_get_property_value(device, kCardIdProperty);
            inserted = idPath && qstrcmp(idPath, kCardIdPath) == 0;
            udev_device_unref(device);
            if (inserted)
                break;
        }
        udev_enumerate_unref(enumerate);
        return inserted;
    }

private:
    udev* m_context;
};

} // namespace

std::unique_ptr<CardSlotProbe> Board::OpenCardSlotProbe() const
{
    if (IsSandbox())
        return std::make_unique<MarkerCardSlotProbe>(CardPresenceMarker());
    udev* context = udev_new();
    if (!context)
        return nullptr;
    return std::make_unique<UdevCardSlotProbe>(context);
}

bool Board::IsCardMounted() const
{
    QFile mounts(MountTable());
    if (!mounts.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Error opening /proc/mounts";
        return false;
    }
    return mounts.readAll().contains(kCardPartition);
}

bool Board::IsCardReadOnly() const
{
    QFile mounts(MountTable());
    if (!mounts.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 4 && fields[0].contains(kCardPartition))
            return fields[3].split(',').contains("ro");
    }
    return false;
}

void Board::StartCardProgram(QProcess& process, const QString& program) const
{
    process.start(program, {}, QIODevice::ReadWrite);
}

void Board::StartCardScriptCopy(QProcess& process, const QString& cardPath,
                                const QString& copy) const
{
    // Sourced rather than run, so that $0 still names the card's script: installers find
    // the image beside themselves on the card.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUARN_CHECKED_INSTALLER"), copy);
    process.setProcessEnvironment(environment);
    process.start(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral(". \"$QUARN_CHECKED_INSTALLER\""), cardPath},
        QIODevice::ReadWrite);
}
