#pragma once

#include <QSettings>

// A handle on the live settings store: the native-format (ini) file of the program's
// organisation and application in the board's settings folder. Handles on the same file
// share one in-process copy, so a value written through one is read by all at once.
class UserSettingsStore : public QSettings
{
    Q_OBJECT
public:
    static constexpr const char* kOrganisation = "VEK";
    static constexpr const char* kApplication = "QUARN_2_4";

    // Points native user-scope settings at the board's settings folder. Whoever starts the
    // program calls this before the first setting is used.
    static void Configure();
    // The live store file.
    static QString FileName();

    UserSettingsStore();
};
