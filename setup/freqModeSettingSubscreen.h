#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class FreqModeSettingSubscreen;
}

// How the head picks its transmit frequency; the non-regulated modes only where the head allows
// them.
class FreqModeSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit FreqModeSettingSubscreen(QWidget* parent = nullptr);
    ~FreqModeSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_manualButton_clicked();
    void on_autoButton_clicked();
    void on_sweepButton_clicked();
    void on_hopButton_clicked();

private:
    std::unique_ptr<Ui::FreqModeSettingSubscreen> ui;
};
