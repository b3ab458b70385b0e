#pragma once

#include <QDateTime>
#include <QString>

#include <QPointF>
#include <QVector>

#include <memory>

class QProcess;

// The card slot as the SD card monitor sees it: on the board a udev context that every scan
// enumerates, in a sandbox the presence marker.
class CardSlotProbe
{
public:
    virtual ~CardSlotProbe() = default;
    // Whether a block device sits on the card controller.
    virtual bool IsCardInserted() = 0;
};

// The one door to the operating system: every device path and system action of the
// instrument. On the board every path is the real one; the desktop build and the tests
// put the same tree under a sandbox folder, move a clock offset instead of the host
// clock and see the SD card through marker files.
class Board
{
public:
    static Board& Get();

    // Puts every device path under root (same relative paths) and the serial line at
    // serialDevice. Call before anything opens a path.
    static void UseSandbox(const QString& root, const QString& serialDevice);

    // Creates what a run needs under the sandbox root and is still missing: the settings
    // and flash folders, a mount table without the card, the backlight files and the
    // version record. The desktop build calls it at start.
    void PrepareSandbox() const;

    bool IsSandbox() const { return !m_root.isEmpty(); }
    QString Root() const { return m_root; }

    QString SerialDevice() const { return m_serialDevice; }
    QString SettingsRoot() const;    // store of the live settings and the internal profile
    QString FlashTestFolder() const; // scratch folder of the storage test
    QString CardRoot() const;        // mount point of the micro SD card, with trailing '/'
    QString MountTable() const;
    QString VersionRecord() const;
    QString BacklightBrightnessFile() const;
    QString BacklightPowerFile() const;
    // tslib's touch calibration record ("pointercal", seven integers). It lives with the
    // settings on the flash, so that it survives a new root file system; the board's
    // launcher hands it to tslib at every start of the program.
    QString TouchCalibrationFile() const;

    enum class TouchCalibrationResult
    {
        Saved,
        Rejected,
        NotWritten
    };
    // Turns taps on the targets into the calibration record of the next start. The taps
    // come through the calibration in force (tslib applies it before the program sees
    // them), so the new record is their fit applied after the one on file. Taps that fix
    // no map, or a map that misses a target by more than kTouchTolerancePx, are rejected:
    // a wrong record would leave a touch screen that cannot be used to mend it. On any
    // failure the file stays as it was.
    static constexpr double kTouchTolerancePx = 12;
    TouchCalibrationResult SaveTouchCalibration(const QVector<QPointF>& targets,
                                                const QVector<QPointF>& taps) const;
    // Sandbox only: the file whose presence means "a card sits in the slot".
    QString CardPresenceMarker() const;
    // The program's passing files, in memory on the board (/run): off the card and off the
    // flash that an installer may overwrite.
    QString RuntimeFolder() const;

    // Where the bus capture goes, empty for none: the file given with UseCaptureFile, or,
    // when a "capture" marker file sits on the mounted card, a new
    // vek_bus_yyyy_MM_dd_hh_mm_ss.pcapng beside it; none on a card mounted read-only (one
    // debug line says so). Asked once, when the bus starts.
    QString BusCaptureFile() const;
    static void UseCaptureFile(const QString& path);

    // Current local time of the instrument; everything that shows or stamps time reads it.
    QDateTime Now() const;
    // Sets the instrument's clock. On the board this starts "date" detached; in a sandbox
    // it moves the program's clock offset and never touches the host clock.
    void SetSystemTime(const QDateTime& dateTime);
    qint64 ClockOffsetMs() const { return m_clockOffsetMs; }

    // Flushes file systems to storage (the POSIX sync on the board; nothing in a sandbox).
    void SyncFileSystems() const;
    // Runs the "sync" command and waits for it.
    void RunSyncCommand() const;
    // Free bytes (block size times free blocks) of the file system holding folder; 0 when
    // it cannot be asked.
    quint64 FreeBytes(const QString& folder) const;

    // Writes one value to a sysfs-style file; the result is ignored by callers.
    bool WriteValue(const QString& path, int value) const;

    // Null when no udev context can be had.
    std::unique_ptr<CardSlotProbe> OpenCardSlotProbe() const;
    // Whether the card's first partition is in the mount table; an unreadable table is
    // logged and counts as not mounted.
    bool IsCardMounted() const;
    // Whether the mount table has the card's first partition mounted read-only (a card with
    // its write-protect switch set).
    bool IsCardReadOnly() const;
    // Starts a program from the card (the update script) without arguments, with read and
    // write channels.
    void StartCardProgram(QProcess& process, const QString& program) const;
    // Runs the shell script in copy as if it were the card's script at cardPath: /bin/sh
    // reads the copy, and the script sees cardPath as $0 and no arguments, with read and
    // write channels. The copy's path is in QUARN_CHECKED_INSTALLER.
    void StartCardScriptCopy(QProcess& process, const QString& cardPath, const QString& copy) const;

private:
    Board();
    QString devicePath(const char* path) const;

    QString m_root;
    QString m_serialDevice;
    QString m_captureFile;
    qint64 m_clockOffsetMs = 0;
};
