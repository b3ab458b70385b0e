// libFuzzer target for a settings profile imported from the SD card: a text file anyone can
// edit on a computer. Every value must be refused or stored within its setting's limits.

#include "bus/quarnBus.h"
#include "settings/settingsCatalogue.h"
#include "settings/userSettingsService.h"
#include "tests/fuzz/fuzzProgram.h"
#include "tests/support/fakeDevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzProgram::SettingsOnLine& s = FuzzProgram::StartSettings();
    // A new name each time: QSettings caches a file by name, size and time stamp, and two
    // inputs of one size within the same millisecond would read as one.
    static unsigned serial = 0;
    const QString path = QDir::tempPath() + QString::fromLatin1("/quarn-fuzz-profile-%1-%2.ini")
                                                .arg(QCoreApplication::applicationPid())
                                                .arg(++serial);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            __builtin_trap();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    s.settings->ImportAllSettingsFromExternalFile(path);
    QFile::remove(path);
    for (const auto& setting : AllUserSettings()) {
        if (!setting->Accepts(setting->StoredValue()))
            __builtin_trap();
    }
    s.line->takeWritten();
    return 0;
}
