#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

#include <memory>

class CardSlotProbe;
class QTemporaryDir;
class QTimer;

// Watches the micro SD card slot: whether a card is inserted, whether it is mounted and
// usable, and whether it carries an update script, which it can run. The single owner of
// the card's root folder.
class SdCardMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 500;
    static constexpr const char* kUpdateScript = "__up__quarn.sh";
    static constexpr const char* kErrorDumpFile = "update_error_dump.txt";

    static SdCardMonitor* Get();
    explicit SdCardMonitor(QObject* parent = nullptr);
    ~SdCardMonitor() override;

    bool IsCardInserted() const { return m_cardInserted; }
    bool IsCardReady() const { return m_cardReady; }
    // Ready and not mounted read-only (a write-protected card), read from the mount table at
    // the moment of asking. Every writer to the card asks this, so that a read-only card
    // fails each write the same way even where the file system would take it (root on the
    // desktop).
    bool IsCardWritable() const;
    // With the trailing '/': callers append file names.
    QString GetSdCardRootFolder() const;
    // False while a script is already running.
    bool RunUpdateScript();
    // The same for a script whose bytes were checked: it runs from a private copy of them,
    // never from the card, and sees itself as the card's script.
    bool RunCheckedUpdateScript(const QByteArray& script);

signals:
    void CardEvent();
    void UpdateDetected();
    void UpdateComplete();
    void UpdateError(QString errorMsg);

public slots:
    void PollForCardStatus();
    void UpdateProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void ProcessStdOut();
    void ProcessStdErr();

private:
    void isSdDevPresentAndReady();
    // Null while a script is already running.
    QProcess* newUpdateProcess();
    void onProcessError(QProcess::ProcessError error);
    void collect(QProcess::ProcessChannel channel, QString& collected);
    void reportError(const QString& firstLine);
    void releaseProcess();

    QTimer* m_pollTimer = nullptr;
    std::unique_ptr<CardSlotProbe> m_udev;
    bool m_cardInserted = false;
    bool m_cardReady = false;
    QProcess* m_updateProcess = nullptr;
    std::unique_ptr<QTemporaryDir> m_scriptCopy; // while a checked script runs
    QString m_stdOut;
    QString m_stdErr;
};
