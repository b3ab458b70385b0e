#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class InformationSubscreen;
}

// The versions of every processor, the smart battery's identity and state, and the
// maker's contact details, one tab each.
class InformationSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit InformationSubscreen(QWidget* parent = nullptr);
    ~InformationSubscreen() override;

public slots:
    void RefreshUi() override;

private:
    std::unique_ptr<Ui::InformationSubscreen> ui;
};
