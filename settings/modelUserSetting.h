#pragma once

#include "settings/userSettingInt.h"

enum class Model : int
{
    EuropeCe = 14,
    QuarnHp = 15
};

// The head's model code, sent to the head like a region.
class ModelUserSetting : public UserSettingInt<Model>
{
public:
    ModelUserSetting();
    void Set(Model value) override;
};
