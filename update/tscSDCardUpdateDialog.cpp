#include "update/tscSDCardUpdateDialog.h"

#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "services/sdCardMonitor.h"
#include "ui_tscSDCardUpdateDialog.h"
#include "update/sdCardUpdate.h"

#include <QDebug>
#include <QMutexLocker>

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
    m_worker->wait();
}

QString TscSDCardUpdateDialog::ErrorText(int code)
{
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
    default:
        return QStringLiteral("Unexpected Error. Please try again.");
    }
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
    ui->textBrowser->setPlainText(errorMsg);
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
    const QString text = ErrorText(code);
    qDebug() << text;
    showStage(text, true, false);
}

void TscSDCardUpdateDialog::CreateFS()
{
    showStage(QStringLiteral("Building the file system image."), false, false, 10);
}

void TscSDCardUpdateDialog::SquashUpdate()
{
    QMutexLocker lock(&m_progressMutex);
    showStage(
        QStringLiteral("Overwriting file system. \n\nThis may take a while.\nPlease be patient."),
        false, false, 15);
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
        showStage(QStringLiteral("Checking for valid update file."), false, false, 2);
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
