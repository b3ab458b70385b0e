#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class HeadlightSettingSubscreen;
}

// The head's headlight; follows the head when it switches the light itself.
class HeadlightSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit HeadlightSettingSubscreen(QWidget* parent = nullptr);
    ~HeadlightSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void HeadlightChanged();
    void on_onButton_clicked();
    void on_offButton_clicked();

private:
    std::unique_ptr<Ui::HeadlightSettingSubscreen> ui;
};
