#pragma once

#include <QSettings>

#include <functional>

// A handle on the live settings store: the native-format (ini) file of the program's
// organisation and application in the board's settings folder. Handles on the same file
// share one in-process copy, so a value written through one is read by all at once.
class UserSettingsStore : public QSettings
{
    Q_OBJECT
public:
    static constexpr const char* kOrganisation = "VEK";
    static constexpr const char* kApplication = "QUARN_2_4";
    // A real store is about 1 kB; one far larger than this is damaged (junk appended or
    // planted) and is read no further than this.
    static constexpr qint64 kMaxStoreBytes = 64 * 1024;
    // Written at every start, so that the store file exists and can be watched; profiles
    // carry it too.
    static constexpr const char* kInitFileKey = "initFile";

    // Points native user-scope settings at the board's settings folder. Whoever starts the
    // program calls this before the first setting is used.
    static void Configure();
    // The live store file.
    static QString FileName();

    // Told of every value a setting writes, so that a store that cannot take it is noticed.
    static void SetChangeHook(std::function<void()> hook);
    static void NoteChange();
    // Moves on with every value written in this process and every change taken in from the
    // file: a reader that keeps a value (one read per result is a file check each) reads it
    // again when this has moved.
    static quint64 Generation();
    static void NoteValuesChanged();
    // True once after a store that was far too large has been read: only its known values
    // were taken, and the next write rewrites it whole from them.
    static bool TakeDamaged();

    UserSettingsStore();
};
