#pragma once

#include "bus/quarnBusMsg.h"
#include "update/sdCardUpdate.h"

#include <QDialog>
#include <QMutex>

#include <functional>
#include <memory>
#include <sys/types.h>

namespace Ui {
class TscSDCardUpdateDialog;
}

// Runs a software update from the SD card: asks the operator, drives the update worker,
// shows each stage with a text and the progress, runs the card's update script for the
// file system image and hands the controllers' answers on to the worker.
class TscSDCardUpdateDialog : public QDialog
{
    Q_OBJECT
public:
    enum DialogStep
    {
        eWaitingForStart = 0,
        eWaitingForInstall = 1,
        eErrorShown = 2,
        eUpdateComplete = 3,
    };

    explicit TscSDCardUpdateDialog(QWidget* parent = nullptr);
    // Stops the worker and waits briefly for its thread; a worker held in a read of the
    // card that does not return is left to end on its own and delete itself.
    ~TscSDCardUpdateDialog() override;
    static constexpr int kJoinMs = 1000;

    SDCardUpdate* worker() const { return m_worker; }
    int dialogStep() const { return m_step; }
    // With the controller that failed, the text says how far it got and what to do.
    static QString ErrorText(int code, const SDCardUpdate::Failure& failure = {});

    // At start: a notice over panel while an update that failed after changing the unit is
    // on record.
    static void ShowFailedUpdateNotice(QWidget* panel);

    // Runs after the final resets, from now on (an empty one for none). The board has none:
    // the keypad controller's reset takes the unit's power, and the program with it. The
    // desktop build, whose power the head does not hold, watches for the head's restart.
    using RestartWatch = std::function<void(TscSDCardUpdateDialog& dialog)>;
    static void SetRestartWatch(RestartWatch watch);

signals:
    void checkSD();
    void EepromEraseComplete();
    void EepromWriteComplete(u_int32_t checksum);
    void BbmPushComplete();
    void LedPushComplete();
    void ProcessCancel();

public slots:
    void UpdateErrorNotice(QString errorMsg);
    void RebootingHead();
    void PushingBBM();
    void PushingLED();
    void DisplayVersion(QString current, QString update);
    void ErrorHandler(int code);
    void CreateFS();
    void SquashUpdate();
    void DisplayErase(QString name);
    void DisplayWrite(QString name);
    void onNewRawMsg(QuarnBusMsg msg);
    void DisplayComplete();
    void on_cancelButton_clicked();
    void on_okButton_clicked();
    void updateProgress(int progress);

private:
    void showStage(const QString& text, bool ok, bool cancel, int progress = -1);

    std::unique_ptr<Ui::TscSDCardUpdateDialog> ui;
    SDCardUpdate* m_worker = nullptr;
    int m_step = eWaitingForStart;
    int m_progress = 0;
    QMutex m_progressMutex;
};
