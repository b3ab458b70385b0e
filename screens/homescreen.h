#pragma once

#include "bus/quarnBusMsg.h"
#include "screens/headType.h"

#include <QWidget>

#include <memory>

namespace Ui {
class HomeScreen;
}

// Launcher page; also takes in the head responses that concern the whole unit, since it
// lives for the whole run.
class HomeScreen : public QWidget
{
    Q_OBJECT
public:
    explicit HomeScreen(QWidget* parent = nullptr);
    ~HomeScreen() override;

    static eHeadTypeIdT HeadTypeFromSysInformation(const QByteArray& payload);
    bool isBacklightOff() const { return backlightOff; }

signals:
    void barSelected();
    void scanSelected();
    void keypadSelected();
    void chartSelected();
    void byebyeSelected();
    void setupSelected();
    void spectralSelected();
    void headTypeAttached(eHeadTypeIdT headType);
    void shutMessageBusOff();
    void slowMessageBusDown();

public slots:
    void onNewRawMsg(QuarnBusMsg msg);
    void on_btnBarGraph_clicked();
    void on_btnChartRec_clicked();
    void on_btnFreqScan_clicked();
    void on_btnKeypad_clicked();
    void on_btnMute_clicked();
    void on_btnSetup_clicked();
    void UpdateSettingsIcons();
    void requestAdminOptions();

private:
    void takeSysInformation(const QuarnBusMsg& msg);
    void takeSystemData(const QuarnBusMsg& msg);
    void takeCountry(const QuarnBusMsg& msg);
    void takeUserFlags(const QuarnBusMsg& msg);
    void takeZone(const QuarnBusMsg& msg);

    std::unique_ptr<Ui::HomeScreen> ui;
    bool backlightOff = false;
    bool sysInformationTaken = false;
};
