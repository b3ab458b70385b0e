// libFuzzer target for the update package reader: every byte of a package on the card is
// the author's choice, and the signing key ships inside the program.

#include "update/packageBuilder.h"
#include "update/updatePackage.h"
#include "update/updateSignature.h"

#include <QCryptographicHash>
#include <QtGlobal>

#include <cstdio>

using namespace UpdatePackage;

namespace {

// Fixed, so that a finding replays: any 32 bytes make an Ed25519 private key.
const QByteArray kFuzzKey(32, '\x5a');
const QByteArray kScript("#!/bin/sh\n");

QByteArray scriptDigest()
{
    return QCryptographicHash::hash(kScript, QCryptographicHash::Sha256);
}

const QList<QByteArray>& trustedKeys()
{
    static const QList<QByteArray> keys{PackageBuilder::PublicKeyOf(kFuzzKey)};
    return keys;
}

bool keep(const SectionTable& table, int slot)
{
    for (int row = 0; row < kPlanRows; ++row) {
        if (kPlan.at(size_t(row)).slot == slot &&
            ShouldProgram(row, table, QStringLiteral("01"), QStringLiteral("02")))
            return true;
    }
    return false;
}

LoadError loadWith(QByteArray& bytes, bool band900, CheckedPackage* checked)
{
    PackageFile package;
    package.Adopt(fmemopen(bytes.data(), size_t(bytes.size()), "rb"));
    LoadOptions options;
    options.key = IntegrityKey();
    options.headVariant900 = band900;
    options.keep = keep;
    return package.Load(options, checked);
}

// Whatever a block holds, it is read into fields of their sizes and checked without fault.
void checkBlock(const SignatureBlock& block)
{
    if (block.state == SignatureBlock::State::Present) {
        if (block.signatures.isEmpty() || block.signatures.size() > kMaxSignatures ||
            block.contentDigest.size() != kSha256Size || block.scriptDigest.size() != kSha256Size)
            __builtin_trap();
        for (const auto& entry : block.signatures) {
            if (entry.first.size() != kPublicKeySize || entry.second.size() != kSignatureSize)
                __builtin_trap();
        }
    }
    CheckSignature(block, scriptDigest(), trustedKeys());
}

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
        options.keep = keep;
        CheckedPackage checked;
        if (package.Load(options, &checked) != LoadError::None)
            continue;
        checkBlock(checked.signature);
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

// Signed by the maker as found: the check passes, the block changes nothing the worker
// reads, and a signature byte flipped fails it.
void signAndLoad(const QByteArray& found)
{
    QByteArray plain = found;
    PackageBuilder::Resign(plain, IntegrityKey());
    QByteArray package = found;
    if (!PackageBuilder::AppendSignatures(package, {kFuzzKey}, kScript))
        return;
    PackageBuilder::Resign(package, IntegrityKey());
    CheckedPackage checked;
    const LoadError loaded = loadWith(package, false, &checked);
    if (loaded == LoadError::None &&
        CheckSignature(checked.signature, scriptDigest(), trustedKeys()) != SignatureCheck::Good)
        __builtin_trap();

    // Unless the input ends like a block itself, it reads the same with the block as without.
    CheckedPackage unsignedChecked;
    if (loadWith(plain, false, &unsignedChecked) != LoadError::None ||
        unsignedChecked.signature.state != SignatureBlock::State::None)
        return;
    if (loaded != LoadError::None || checked.base != unsignedChecked.base ||
        checked.imageDigest != unsignedChecked.imageDigest || checked.data != unsignedChecked.data)
        __builtin_trap();

    const int last = package.size() - 1 - kSignatureMagicSize - 1; // of the signature
    package[last] = char(package.at(last) ^ 0x01);
    PackageBuilder::Resign(package, IntegrityKey());
    if (loadWith(package, false, &checked) != LoadError::None ||
        CheckSignature(checked.signature, scriptDigest(), trustedKeys()) !=
            SignatureCheck::BadSignature)
        __builtin_trap();
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
    const QByteArray found = bytes;
    PackageBuilder::Resign(bytes, IntegrityKey());
    inspect(bytes);
    load(bytes);
    signAndLoad(found);
    return 0;
}
