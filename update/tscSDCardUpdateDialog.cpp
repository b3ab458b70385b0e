#include "update/tscSDCardUpdateDialog.h"

#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "services/sdCardMonitor.h"
#include "shell/panelDialogs.h"
#include "ui_tscSDCardUpdateDialog.h"

#include <QDebug>
#include <QMutexLocker>
#include <QPointer>
#include <QTimer>

namespace {
TscSDCardUpdateDialog::RestartWatch& restartWatch()
{
    static TscSDCardUpdateDialog::RestartWatch watch;
    return watch;
}
} // namespace

TscSDCardUpdateDialog::TscSDCardUpdateDialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TscSDCardUpdateDialog>()),
      m_worker(new SDCardUpdate(this))
{
    qRegisterMetaType<u_int32_t>("u_int32_t");
    ui->setupUi(this);
    SdCardMonitor* card = SdCardMonitor::Get();
    connect(m_worker, &SDCardUpdate::versionID, this, &TscSDCardUpdateDialog::DisplayVersion);
    connect(m_worker, &SDCardUpdate::errorCode, this, &TscSDCardUpdateDialog::ErrorHandler);
    connect(this, &TscSDCardUpdateDialog::checkSD, m_worker, &SDCardUpdate::testCard);
    connect(m_worker, &SDCardUpdate::SDspaceOK, this, &TscSDCardUpdateDialog::CreateFS);
    connect(m_worker, &SDCardUpdate::installFS, this, &TscSDCardUpdateDialog::SquashUpdate);
    connect(m_worker, &SDCardUpdate::eraseSection, this, &TscSDCardUpdateDialog::DisplayErase);
    connect(m_worker, &SDCardUpdate::writeSection, this, &TscSDCardUpdateDialog::DisplayWrite);
    connect(card, &SdCardMonitor::UpdateComplete, m_worker, &SDCardUpdate::parseFile);
    connect(card, &SdCardMonitor::UpdateError, this, &TscSDCardUpdateDialog::UpdateErrorNotice);
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &TscSDCardUpdateDialog::onNewRawMsg);
    connect(this, &TscSDCardUpdateDialog::EepromEraseComplete, m_worker,
            &SDCardUpdate::microUpdate);
    connect(this, &TscSDCardUpdateDialog::EepromWriteComplete, m_worker, &SDCardUpdate::writeTest);
    connect(this, &TscSDCardUpdateDialog::LedPushComplete, m_worker, &SDCardUpdate::doComplete);
    connect(this, &TscSDCardUpdateDialog::BbmPushComplete, m_worker, &SDCardUpdate::doLED);
    connect(m_worker, &SDCardUpdate::completeUpdate, this, &TscSDCardUpdateDialog::DisplayComplete);
    connect(m_worker, &SDCardUpdate::pushBBM, this, &TscSDCardUpdateDialog::PushingBBM);
    connect(m_worker, &SDCardUpdate::pushHDC, this, &TscSDCardUpdateDialog::PushingLED);
    connect(this, &TscSDCardUpdateDialog::ProcessCancel, m_worker, &SDCardUpdate::doCanceled);
    connect(m_worker, &SDCardUpdate::setProgress, this, &TscSDCardUpdateDialog::updateProgress);
    connect(m_worker, &SDCardUpdate::rebootHead, this, &TscSDCardUpdateDialog::RebootingHead);

    showStage(QStringLiteral("A software update has been detected. Would you like to update the "
                             "software?"),
              true, true, 0);
}

TscSDCardUpdateDialog::~TscSDCardUpdateDialog()
{
    // The worker is our child: its thread must end before the objects it uses go.
    m_worker->requestStop();
    if (m_worker->wait(kJoinMs))
        return;
    // Held in a read of the card that no one can interrupt. It uses nothing of this
    // dialog, so it is let go: once the read returns it sees the stop and ends.
    qDebug() << "Update worker left to finish a read of the card.";
    m_worker->disconnect();
    SdCardMonitor::Get()->disconnect(m_worker);
    QuarnBus::Get()->disconnect(m_worker);
    m_worker->setParent(nullptr);
    connect(m_worker, &QThread::finished, m_worker, &QObject::deleteLater);
    if (m_worker->isFinished())
        delete m_worker;
}

QString TscSDCardUpdateDialog::ErrorText(int code, const SDCardUpdate::Failure& failure)
{
    if (!failure.part.isEmpty() &&
        (code == SDCardUpdate::eNoAnswer || code == SDCardUpdate::eBadChecksum)) {
        // Short enough to be read whole on the panel.
        const QString& part = failure.part;
        const QString what = code == SDCardUpdate::eNoAnswer
                                 ? QStringLiteral("Error: No response from %1.")
                                 : QStringLiteral("Error: Bad checksum from %1.");
        const QString state = failure.erased == SDCardUpdate::Erased::Yes
                                  ? QStringLiteral("%1 is erased and not working.")
                                  : QStringLiteral("%1 may be erased.");
        return what.arg(part) + QStringLiteral("\n\n") + state.arg(part) +
               QStringLiteral("\nRe-insert the SD card to try again.");
    }
    switch (code) {
    case SDCardUpdate::eFileError:
        return QStringLiteral("File Open Error. Try remaking SD card.");
    case SDCardUpdate::eInvalidPackage:
        return QStringLiteral("Invalid File Detected. Try creating SD card again.");
    case SDCardUpdate::eNoSpace:
        return QStringLiteral("Error: No space for file system image. Try a larger SD card.");
    case SDCardUpdate::eNoAnswer:
        return QStringLiteral(
            "Error: No response from micro controller. Transmission fail. Try again.");
    case SDCardUpdate::eBadChecksum:
        return QStringLiteral("Error: Bad checksum. Transmission fail. Try again.");
    case SDCardUpdate::eCardNotAnswering:
        return QStringLiteral("Error: The SD card stopped answering. Nothing was changed.\n\n"
                              "Re-insert the card to try again.");
    case SDCardUpdate::eNotSigned:
        return QStringLiteral("Update not signed by the maker");
    case SDCardUpdate::eCardReadOnly:
        return QStringLiteral("Error: The SD card is read-only, so the file system image cannot "
                              "be copied to it. Nothing was changed.\n\nUnlock the card and "
                              "re-insert it to try again.");
    default:
        return QStringLiteral("Unexpected Error. Please try again.");
    }
}

void TscSDCardUpdateDialog::ShowFailedUpdateNotice(QWidget* panel)
{
    const QString record = SDCardUpdate::FailedUpdateRecord();
    if (record.isEmpty())
        return;
    // Once the window is up, over it; not exec(): start-up goes on beneath.
    QTimer::singleShot(0, panel, [panel, record] {
        PanelMessageBox* box = PanelMessageBox::OpenNotice(
            QStringLiteral("Update Incomplete"),
            QStringLiteral("The last software update did not complete:\n") + record +
                QStringLiteral("\n\nRe-insert the update SD card to try again."),
            panel);
        box->setObjectName(QStringLiteral("failedUpdateNotice"));
    });
}

void TscSDCardUpdateDialog::SetRestartWatch(RestartWatch watch)
{
    restartWatch() = std::move(watch);
}

void TscSDCardUpdateDialog::showStage(const QString& text, bool ok, bool cancel, int progress)
{
    ui->textBrowser->setPlainText(text);
    ui->okButton->setVisible(ok);
    ui->cancelButton->setVisible(cancel);
    if (progress >= 0)
        ui->progressBar->setValue(progress);
}

void TscSDCardUpdateDialog::UpdateErrorNotice(QString errorMsg)
{
    // The report stands as the script wrote it; OK is the way out, or the unit would wait
    // for ever behind a dialog without buttons.
    m_worker->scriptFailed();
    m_step = eErrorShown;
    showStage(errorMsg, true, false);
}

void TscSDCardUpdateDialog::RebootingHead()
{
    showStage(QStringLiteral("Rebooting the head. \n\n The update process will continue after the "
                             "reboot."),
              false, false, 90);
}

void TscSDCardUpdateDialog::PushingBBM()
{
    showStage(QStringLiteral("Sending the BBM file."), false, false, 92);
}

void TscSDCardUpdateDialog::PushingLED()
{
    showStage(QStringLiteral("Sending the HDC file."), false, false, 95);
}

void TscSDCardUpdateDialog::DisplayVersion(QString current, QString update)
{
    // A worker given up on may still report what it read once the card answers again.
    if (m_step == eErrorShown)
        return;
    m_step = eWaitingForInstall;
    // Both texts come as the version record holds them, with their line feed.
    showStage(QStringLiteral("Here's the version info. \n\nCurrent version: ") + current.trimmed() +
                  QStringLiteral("\nUpdate version: ") + update.trimmed() +
                  QStringLiteral("\n\nDo you wish to continue?"),
              true, true, 5);
}

void TscSDCardUpdateDialog::ErrorHandler(int code)
{
    m_step = eErrorShown;
    const QString text = ErrorText(code, m_worker->failure());
    // Quoted, line feeds as they are.
    qDebug().noquote() << QLatin1Char('"') + text + QLatin1Char('"');
    showStage(text, true, false);
}

void TscSDCardUpdateDialog::CreateFS()
{
    if (m_step == eErrorShown)
        return;
    // The copy reads the card: it may be cancelled.
    showStage(QStringLiteral("Building the file system image."), false, true, 10);
}

void TscSDCardUpdateDialog::SquashUpdate()
{
    if (m_step == eErrorShown)
        return;
    QMutexLocker lock(&m_progressMutex);
    showStage(
        QStringLiteral("Overwriting file system. \n\nThis may take a while.\nPlease be patient."),
        false, false, 15);
    // A signed package's script runs from the bytes its signature was checked against.
    if (const std::optional<QByteArray> installer = m_worker->checkedInstaller())
        SdCardMonitor::Get()->RunCheckedUpdateScript(*installer);
    else
        SdCardMonitor::Get()->RunUpdateScript();
    m_progress = 25;
}

void TscSDCardUpdateDialog::DisplayErase(QString name)
{
    QMutexLocker lock(&m_progressMutex);
    m_progress += 5;
    showStage(QStringLiteral("Erasing ") + name, false, false, m_progress);
}

void TscSDCardUpdateDialog::DisplayWrite(QString name)
{
    QMutexLocker lock(&m_progressMutex);
    m_progress += 5;
    showStage(QStringLiteral("Writing ") + name +
                  QStringLiteral("\n\nSome larger sections may take a while.\nPlease be patient."),
              false, false, m_progress);
}

void TscSDCardUpdateDialog::onNewRawMsg(QuarnBusMsg msg)
{
    switch (msg.type) {
    case eSetLEDFlashMsg:
        emit LedPushComplete();
        break;
    case eSetBBMFlashMsg:
        emit BbmPushComplete();
        break;
    case eSetEepromMsg:
        if (msg.param == SetEepromMsgReq::kErase)
            emit EepromEraseComplete();
        else if (msg.param == SetEepromMsgReq::kWrite)
            emit EepromWriteComplete(le32At(msg, 0));
        break;
    default:
        break;
    }
}

void TscSDCardUpdateDialog::DisplayComplete()
{
    m_step = eUpdateComplete;
    showStage(QStringLiteral("Software Update is complete. \n\nThe unit will now restart."), true,
              false, 100);
}

void TscSDCardUpdateDialog::on_cancelButton_clicked()
{
    emit ProcessCancel();
    done(1);
    m_worker->requestStop();
}

void TscSDCardUpdateDialog::on_okButton_clicked()
{
    switch (m_step) {
    case eWaitingForStart:
        // The check reads the card, which may never answer: it may be cancelled.
        showStage(QStringLiteral("Checking for valid update file."), false, true, 2);
        m_worker->startUpdate(QThread::InheritPriority);
        break;
    case eWaitingForInstall:
        emit checkSD();
        break;
    case eErrorShown:
        done(1);
        m_worker->requestStop();
        break;
    case eUpdateComplete:
        m_worker->requestStop();
        QuarnBus::Get()->sendMsg(MasterResetRequest(BusId::Hcc));
        QuarnBus::Get()->sendMsg(MasterResetRequest(BusId::Key));
        if (restartWatch())
            restartWatch()(*this);
        break;
    default:
        break;
    }
}

void TscSDCardUpdateDialog::updateProgress(int progress)
{
    QMutexLocker lock(&m_progressMutex);
    m_progress = progress;
}
