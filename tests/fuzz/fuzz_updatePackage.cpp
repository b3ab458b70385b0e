// libFuzzer target for the update package reader: every byte of a package on the card is
// the author's choice, and the signing key ships inside the program.

#include "update/packageBuilder.h"
#include "update/updatePackage.h"

#include <QtGlobal>

#include <cstdio>

using namespace UpdatePackage;

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// What the worker does with a package, short of the card and the bus.
void inspect(QByteArray bytes)
{
    if (bytes.isEmpty())
        return;
    PackageFile package;
    package.Adopt(fmemopen(bytes.data(), size_t(bytes.size()), "rb"));
    if (package.Verify(IntegrityKey()) != PackageFile::Check::Match)
        return;
    const auto version = package.ReadVersion();
    if (!version)
        return;
    if (version->hasImage) {
        FILE* sink = std::fopen("/dev/null", "wb");
        const std::atomic<bool> stop{false};
        package.CopyImage(sink, stop);
        std::fclose(sink);
    }
    qint64 base = 0;
    const auto header =
        version->hasFirmware ? package.ReadFirmwareHeader(*version, &base) : std::nullopt;
    if (!header)
        return;
    for (bool band900 : {false, true}) {
        SectionTable table{};
        if (ParseFirmwareHeader(*header, band900, table) != HeaderError::None ||
            !SectionsAreSound(table, base, package.Size()))
            continue;
        for (int row = 0; row < kPlanRows; ++row) {
            if (!ShouldProgram(row, table, QStringLiteral("01"), QStringLiteral("02")))
                continue;
            const Section& section = table[size_t(kPlan.at(size_t(row)).slot)];
            // A section that passed the check must be readable whole and fit the packets.
            if (!package.ReadAt(base + section.offset, section.length))
                __builtin_trap();
            const Geometry g = SectionGeometry(section.length);
            if (g.blocks < 1 || g.blocks > kMaxBlocks ||
                g.packets * kPacketSize != g.dataBytes + g.fill)
                __builtin_trap();
        }
    }
}

// What the worker does since it checks a package in one pass: every section it keeps must
// be the one the table names, whole, and the image it copies must be the one it checked.
void load(QByteArray bytes)
{
    for (bool band900 : {false, true}) {
        PackageFile package;
        package.Adopt(fmemopen(bytes.data(), size_t(bytes.size()), "rb"));
        LoadOptions options;
        options.key = IntegrityKey();
        options.headVariant900 = band900;
        options.keep = [](const SectionTable& table, int slot) {
            for (int row = 0; row < kPlanRows; ++row) {
                if (kPlan.at(size_t(row)).slot == slot &&
                    ShouldProgram(row, table, QStringLiteral("01"), QStringLiteral("02")))
                    return true;
            }
            return false;
        };
        CheckedPackage checked;
        if (package.Load(options, &checked) != LoadError::None)
            continue;
        for (int row = 0; row < kPlanRows; ++row) {
            if (!ShouldProgram(row, checked.sections, QStringLiteral("01"), QStringLiteral("02")))
                continue;
            const int slot = kPlan.at(size_t(row)).slot;
            const Section& section = checked.sections[size_t(slot)];
            const QByteArray& data = checked.data[size_t(slot)];
            if (data.size() != qint64(section.length) ||
                data != bytes.mid(int(checked.base + section.offset), int(section.length)))
                __builtin_trap();
        }
        if (checked.version.hasImage) {
            FILE* sink = std::fopen("/dev/null", "wb");
            const std::atomic<bool> stop{false};
            const PackageFile::Copy copied = package.CopyCheckedImage(sink, checked, stop, nullptr);
            std::fclose(sink);
            if (copied == PackageFile::Copy::Changed)
                __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool silenced = (qInstallMessageHandler(&quiet), true);
    Q_UNUSED(silenced);
    QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    // As it lies on the card: nearly every input stops at the digest.
    inspect(bytes);
    // Signed with the key, so that everything behind the digest is reached as well.
    PackageBuilder::Resign(bytes, IntegrityKey());
    inspect(bytes);
    load(bytes);
    return 0;
}
