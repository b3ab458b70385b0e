#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class ToneStyleSettingSubscreen;
}

// Which harmonics the detection tone follows.
class ToneStyleSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit ToneStyleSettingSubscreen(QWidget* parent = nullptr);
    ~ToneStyleSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_btnToneStyle2nd_clicked();
    void on_btnToneStyle3rd_clicked();
    void on_btnToneStyleSame_clicked();
    void on_btnToneStyleDiff_clicked();

private:
    std::unique_ptr<Ui::ToneStyleSettingSubscreen> ui;
};
