#include "services/sdCardMonitor.h"

#include "board/board.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

SdCardMonitor* SdCardMonitor::Get()
{
    static SdCardMonitor* const instance = new SdCardMonitor;
    return instance;
}

SdCardMonitor::SdCardMonitor(QObject* parent) : QObject(parent), m_pollTimer(new QTimer(this))
{
    m_udev = Board::Get().OpenCardSlotProbe();
    if (!m_udev) {
        qDebug() << "udev_new FAILED \n";
        return;
    }
    isSdDevPresentAndReady();
    connect(m_pollTimer, &QTimer::timeout, this, &SdCardMonitor::PollForCardStatus);
    m_pollTimer->start(kPollMs);
}

SdCardMonitor::~SdCardMonitor() = default;

QString SdCardMonitor::GetSdCardRootFolder() const
{
    return Board::Get().CardRoot();
}

bool SdCardMonitor::IsCardWritable() const
{
    return m_cardReady && !Board::Get().IsCardReadOnly();
}

void SdCardMonitor::isSdDevPresentAndReady()
{
    m_cardInserted = false;
    m_cardReady = false;
    m_cardInserted = m_udev->IsCardInserted();
    if (m_cardInserted)
        m_cardReady = Board::Get().IsCardMounted();
}

void SdCardMonitor::PollForCardStatus()
{
    const bool wasInserted = m_cardInserted;
    const bool wasReady = m_cardReady;
    isSdDevPresentAndReady();
    if (wasInserted == m_cardInserted && wasReady == m_cardReady)
        return;

    qDebug() << "emit CardEvent";
    emit CardEvent();
    if (m_cardInserted && m_cardReady &&
        QFile::exists(GetSdCardRootFolder() + QLatin1String(kUpdateScript)))
        emit UpdateDetected();
}

QProcess* SdCardMonitor::newUpdateProcess()
{
    qDebug() << "RunUpdateScript";
    if (m_updateProcess)
        return nullptr;

    m_updateProcess = new QProcess(this);
    connect(m_updateProcess, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &SdCardMonitor::UpdateProcessFinished);
    connect(m_updateProcess, &QProcess::readyReadStandardOutput, this,
            &SdCardMonitor::ProcessStdOut);
    connect(m_updateProcess, &QProcess::readyReadStandardError, this,
            &SdCardMonitor::ProcessStdErr);
    connect(m_updateProcess, &QProcess::errorOccurred, this, &SdCardMonitor::onProcessError);
    return m_updateProcess;
}

bool SdCardMonitor::RunUpdateScript()
{
    QProcess* process = newUpdateProcess();
    if (!process)
        return false;
    Board::Get().StartCardProgram(*process, GetSdCardRootFolder() + QLatin1String(kUpdateScript));
    return true;
}

bool SdCardMonitor::RunCheckedUpdateScript(const QByteArray& script)
{
    QProcess* process = newUpdateProcess();
    if (!process)
        return false;
    // A private folder off the card, in memory: the shell reads the script as it runs, and
    // the script may overwrite the flash.
    const QString runtime = Board::Get().RuntimeFolder();
    QDir().mkpath(runtime);
    m_scriptCopy = std::make_unique<QTemporaryDir>(runtime + QStringLiteral("/installer-XXXXXX"));
    QFile copy(m_scriptCopy->filePath(QLatin1String(kUpdateScript)));
    if (!m_scriptCopy->isValid() || !copy.open(QIODevice::WriteOnly) ||
        copy.write(script) != script.size() || !copy.flush()) {
        reportError(QStringLiteral("Failed to copy ") + GetSdCardRootFolder() +
                    QLatin1String(kUpdateScript));
        releaseProcess();
        return true;
    }
    copy.close();
    Board::Get().StartCardScriptCopy(*process, GetSdCardRootFolder() + QLatin1String(kUpdateScript),
                                     copy.fileName());
    return true;
}

void SdCardMonitor::ProcessStdOut()
{
    collect(QProcess::StandardOutput, m_stdOut);
}

void SdCardMonitor::ProcessStdErr()
{
    collect(QProcess::StandardError, m_stdErr);
}

void SdCardMonitor::collect(QProcess::ProcessChannel channel, QString& collected)
{
    if (!m_updateProcess)
        return;
    m_updateProcess->setReadChannel(channel);
    QByteArray bytes = m_updateProcess->readAll();
    if (bytes.isEmpty())
        return;
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    const QString text = QString::fromLatin1(bytes);
    qDebug() << text;
    collected.append(text);
}

void SdCardMonitor::UpdateProcessFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    qDebug() << "UpdateProcessFinished, exitcode = " << exitCode << "status = " << exitStatus;
    // A script that crashed has not done its work, whatever its exit code reads.
    if (exitCode == 0 && exitStatus == QProcess::NormalExit) {
        emit UpdateComplete();
    } else {
        QString firstLine = QString::asprintf("ExitCode = 0x%x", unsigned(exitCode));
        if (exitStatus == QProcess::CrashExit)
            firstLine += QLatin1String(" with crash.");
        reportError(firstLine);
    }
    releaseProcess();
}

void SdCardMonitor::onProcessError(QProcess::ProcessError error)
{
    // A script that never started never finishes: report it here, or the update would wait
    // forever and no later run could start.
    if (error != QProcess::FailedToStart || !m_updateProcess)
        return;
    qDebug() << "UpdateProcessFailedToStart" << m_updateProcess->errorString();
    reportError(QStringLiteral("Failed to start ") + m_updateProcess->program());
    releaseProcess();
}

void SdCardMonitor::reportError(const QString& firstLine)
{
    QString report = firstLine + QLatin1Char('\n');
    report += QLatin1String("\nStdError: \n");
    ProcessStdErr();
    report += m_stdErr;
    report += QLatin1String("\nStdOut: \n");
    ProcessStdOut();
    report += m_stdOut;

    qDebug() << report;
    emit UpdateError(report);

    QFile dump(GetSdCardRootFolder() + QLatin1String(kErrorDumpFile));
    if (dump.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        dump.write(report.toLatin1());
        dump.close();
    }
    Board::Get().SyncFileSystems();
}

void SdCardMonitor::releaseProcess()
{
    m_updateProcess->deleteLater();
    m_updateProcess = nullptr;
    m_scriptCopy.reset();
}
