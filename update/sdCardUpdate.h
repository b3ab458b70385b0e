#pragma once

#include "update/updatePackage.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <sys/types.h>

class QTimer;

// The update worker: verifies the package on the card, shows its version, copies the file
// system image out for the card's update script, then erases and writes each firmware
// section in the plan's order and has the head reset and push its images on.
//
// The thread runs a loop over the current step. The GUI thread moves the step on from the
// slots below (the operator's consent, the script's end, the controllers' answers); only
// this thread touches the package file.
class SDCardUpdate : public QThread
{
    Q_OBJECT
public:
    enum Error
    {
        eFileError = 1,
        eInvalidPackage = 2,
        eNoSpace = 3,
        eNoAnswer = 4,
        eBadChecksum = 5,
        eCardNotAnswering = 6,
        eCardReadOnly = 7,
        eNotSigned = 8, // no signature where one is required, or one that fails the check
    };

    // How far a failed controller got, for the operator's next move.
    enum class Erased
    {
        No,
        Maybe, // the erase went out and was not confirmed
        Yes,
    };
    struct Failure
    {
        QString part; // plan name of the controller ("MST"); empty when none failed
        Erased erased = Erased::No;
    };

    // Step values of the loop.
    enum Step
    {
        eStepVerify = 0,
        eStepVersions = 1,
        eStepSpace = 2,
        eStepImage = 3,
        eStepHeader = 4,
        eStepHeadReset = 29,
        eStepPushBbm = 30,
        eStepPushHdc = 31,
        eStepDone = 32,
        eStepWaitOperator = 33,
        eStepWaitMicro = 34,
        eStepClosePackage = 35,
        eStepFailed = 36,
    };

    struct Timing
    {
        int eraseAnswerMs = 20000;
        int writeAnswerMs = 2000;
        int headResetPauseMs = 15000;
        // Longest a read of the card may go without a byte before the update gives up.
        int cardStallMs = 15000;
    };
    // Most output the line may hold back while a section is sent; more would let the
    // worker run ahead of the line and start the write time-out long before the head
    // has the data.
    static constexpr qint64 kMaxLineBacklog = 16 * 1024;

    explicit SDCardUpdate(QObject* parent = nullptr);
    ~SDCardUpdate() override;

    void setTiming(const Timing& timing) { m_timing = timing; }
    // Opens the package in place of the card's file (tests hand in streams that block).
    void setPackageSource(std::function<FILE*()> source) { m_packageSource = std::move(source); }
    // Free bytes of the file system that holds a folder (tests give their own).
    void setFreeSpaceProbe(std::function<quint64(const QString&)> probe);

    // Takes the hardware codes and the card folder, then starts the thread.
    void startUpdate(Priority priority = InheritPriority);
    // Ends the loop at its next look; the destructor waits for it.
    void requestStop();
    int step() const { return m_step; }
    // The controller that failed, on the GUI thread after errorCode.
    Failure failure() const { return m_failure; }
    // The card's script failed: part of the image may be installed. On the GUI thread.
    void scriptFailed();

    // Whether a package must carry the maker's signature (QUARN_UPDATE_REQUIRE_SIGNATURE=1
    // on the board), and the public keys a signature may be made with (the built-in ones
    // unless set). A signed package is checked whatever the setting. GUI thread, before an
    // update starts.
    static void SetSignatureRequired(bool required);
    static bool SignatureRequired();
    static void SetTrustedKeys(const QList<QByteArray>& keys);
    static QList<QByteArray> TrustedKeys();
    // The installer script of a signed package as it was checked, to be run in place of
    // the card's file; nothing for an unsigned package. On the GUI thread after installFS.
    std::optional<QByteArray> checkedInstaller();

    // The record of an update that failed after it changed the unit, beside the version
    // record; a completed update removes it.
    static QString FailedUpdateRecordPath();
    // Its text; empty when there is none.
    static QString FailedUpdateRecord();
    static void RecordFailedUpdate(const QString& what);

signals:
    void versionID(QString version_current, QString version_new);
    void errorCode(int code);
    void SDspaceOK();
    void installFS();
    void eraseSection(QString name);
    void writeSection(QString name);
    void completeUpdate();
    void pushBBM();
    void pushHDC();
    void setProgress(int progress);
    void rebootHead();

public slots:
    void testCard();
    void parseFile();
    void doLED();
    void doComplete();
    void doCanceled();
    void microUpdate();
    void writeTest(u_int32_t checksum);
    void noMicroResponse();

protected:
    void run() override;

private:
    // What a waiting step waits for; a slot acts only on the answer it was waiting for.
    enum class Await
    {
        Nothing,
        Consent,
        Script,
        Erase,
        Write,
        BbmPush,
        HdcPush,
    };

    void runStep(int step);
    void verify();
    // Checks the package's signature and the card's installer script against it, under the
    // policy; false once it has failed the update.
    bool checkSignature();
    void readVersions();
    void checkSpace();
    void extractImage();
    void parseHeader();
    void eraseSectionOfRow(int row);
    void writeSectionOfRow(int row);
    void resetHead();
    void pushImage(bool present, Await answer, int nextStep);
    void complete();

    void fail(int code, int nextStep, const char* message = nullptr);
    void failFromGui(int code, Erased erased);
    void restoreOutputPower();
    QString newVersion();
    // Keeps the record of a failed update: "Update to V failed at WHERE."
    void recordFailure(const QString& where);
    void watchCard();
    void awaitAnswer(int step, Await answer);
    void armTimeout(Await answer, int ms);
    bool takeAwait(Await answer);
    void setStep(int step);
    // Sleeps ms unless the step changes, a stop or a close comes first.
    void pause(int ms);
    bool waitForLine(int ms);

    QString packagePath() const;
    QString imagePath() const;
    QString installerPath() const;

    std::atomic<int> m_step{eStepVerify};
    std::atomic<Await> m_awaiting{Await::Nothing};
    // The plan row being erased or written, -1 before the first.
    std::atomic<int> m_sectionRow{-1};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_closeRequested{false};
    std::atomic<bool> m_packageOpen{false};
    std::atomic<quint32> m_checksum{0};
    std::atomic<bool> m_powerLowered{false};
    std::atomic<int> m_powerBefore{0};
    std::atomic<bool> m_cardWritable{false};
    // The watchdog on the GUI thread sees a read of the card that never returns.
    std::atomic<bool> m_cardBusy{false};
    std::atomic<qint64> m_cardProgress{0};
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;

    Timing m_timing;
    std::function<quint64(const QString&)> m_freeSpace;
    std::function<FILE*()> m_packageSource;
    QTimer* m_timeout = nullptr;   // lives on the GUI thread
    QTimer* m_cardWatch = nullptr; // GUI thread
    qint64 m_cardProgressSeen = -1;
    QElapsedTimer m_cardStill;
    Failure m_failure; // GUI thread

    // Set before the thread starts.
    QString m_cardRoot;
    QString m_headCode;
    QString m_keypadCode;
    bool m_signatureRequired = false;
    QList<QByteArray> m_trustedKeys;

    // The worker thread's own.
    UpdatePackage::PackageFile m_package;
    UpdatePackage::CheckedPackage m_checked;
    UpdatePackage::Version m_version;
    UpdatePackage::SectionTable m_sections{};
    QByteArray m_sectionData;

    std::mutex m_versionMutex;
    QString m_newVersion; // also read by the completion on the GUI thread
    // The checked installer script, for the dialog on the GUI thread.
    std::optional<QByteArray> m_installer;
};
