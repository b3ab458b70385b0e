#pragma once

#include "setup/settingSubscreenWidget.h"

// Versions, battery and contact details; the subscreen itself is still to be built.
class InformationSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit InformationSubscreen(QWidget* parent = nullptr) : SettingSubscreenWidget(parent)
    {
        setObjectName(QStringLiteral("InformationSubscreen"));
    }
public slots:
    void RefreshUi() override {}
};
