#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class TxPowerModeSettingSubscreen;
}

// Transmit power by hand or automatic; follows the head when it changes the mode itself.
class TxPowerModeSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit TxPowerModeSettingSubscreen(QWidget* parent = nullptr);
    ~TxPowerModeSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void PowerModeChanged();
    void on_autoButton_clicked();
    void on_manualButton_clicked();

private:
    std::unique_ptr<Ui::TxPowerModeSettingSubscreen> ui;
};
