#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class DspGainSettingSubscreen;
}

// Gain of the head's signal processing.
class DspGainSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit DspGainSettingSubscreen(QWidget* parent = nullptr);
    ~DspGainSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_highButton_clicked();
    void on_mediumButton_clicked();
    void on_lowButton_clicked();

private:
    std::unique_ptr<Ui::DspGainSettingSubscreen> ui;
};
