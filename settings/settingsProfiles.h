#pragma once

#include <QString>

class UserSettingsStore;

// What a profile recall found.
enum class eProfileImport : int
{
    Recalled,
    Missing,
    Unreadable, // a link, a folder, a file too large, anything but a profile file
};

// Settings profiles: files of the store's keys, on the flash (the internal profile) or on
// the SD card. The head is not told here.
namespace SettingsProfiles {
// A profile file larger than this is not read.
constexpr qint64 kMaxProfileBytes = 64 * 1024;

// Copies every key of the profile into the store (other keys stay, and the head's feature
// bits are never taken from a file); a value the head or the screens cannot take keeps the
// current one.
eProfileImport Import(UserSettingsStore& store, const QString& path);
// Copies every key of the store into the profile (other keys of the profile stay). The
// file is replaced whole or not at all; false when it was not written.
bool Export(UserSettingsStore& store, const QString& path);
// Whether the file is a profile that can be read.
bool IsReadable(const QString& path);
} // namespace SettingsProfiles
