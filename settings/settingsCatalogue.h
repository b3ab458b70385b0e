#pragma once

#include "settings/userSettingInt.h"

#include <memory>
#include <vector>

// One object of every setting of the instrument, for code that walks them all.
std::vector<std::unique_ptr<UserSettingBase>> AllUserSettings();
