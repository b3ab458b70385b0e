#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <array>
#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>

// The software update package on the SD card: its layout, the firmware section table it
// describes and the order in which the sections are programmed. Everything here reads
// the file only; the worker (SDCardUpdate) drives it.
namespace UpdatePackage {

constexpr const char* kFileName = "vek_quarn_update.bin";
constexpr const char* kImageFileName = "squash.sqfs";

// Layout: format byte, HMAC-SHA1 of everything from offset 21, version, two flags, then
// the optional file system image and the optional firmware header and sections.
constexpr qint64 kDigestOffset = 1;
constexpr int kDigestSize = 20;
constexpr qint64 kSignedFrom = 21;
constexpr qint64 kImageLengthOffset = 26;
constexpr qint64 kImageOffset = 30;
constexpr qint64 kFirmwareSkip = 4;
constexpr int kImageChunk = 1024;
// Free space the card must have, in bytes, for the file system image.
constexpr quint64 kRequiredCardSpace = 100'000'000;

// The key the package is signed with.
QByteArray IntegrityKey();

// The optional signature block, the last bytes of the file:
//   32       SHA-256 of the installer script that goes with the package
//   96 x n   per signature: Ed25519 public key (32), signature (64)
//   1        n, 1 to kMaxSignatures
//   8        kSignatureMagic
// Readers that know no block skip it: it lies past every offset they follow, and the
// HMAC covers it like any byte before it. Each signature is over kSignatureContext with
// its zero, the SHA-256 of every byte from offset 21 up to the block, and the script's
// SHA-256: everything the HMAC covers and everything that runs.
constexpr char kSignatureMagic[] = "QUARNSG1";
constexpr int kSignatureMagicSize = sizeof kSignatureMagic - 1;
constexpr char kSignatureContext[] = "quarn24ex update signature 1";
constexpr int kSha256Size = 32;
constexpr int kPublicKeySize = 32;
constexpr int kSignatureSize = 64;
constexpr int kMaxSignatures = 8;
constexpr qint64 SignatureBlockSize(int count)
{
    return kSha256Size + qint64(count) * (kPublicKeySize + kSignatureSize) + 1 +
           kSignatureMagicSize;
}
// The installer script is read whole into memory to be hashed and run from there.
constexpr qint64 kMaxInstallerSize = 1 << 20;

struct Version
{
    quint8 major = 0;
    quint8 minor = 0;
    quint8 build = 0;
    bool hasImage = false;
    bool hasFirmware = false;

    // "2.1.37" and a line feed, as the version record holds it.
    QString text() const;
};

// Slots of the section table; 1 and 3 are filled by no header member.
enum Slot
{
    eSlotHa24 = 0,
    eSlotHa900 = 2,
    eSlotKa = 4,
    eSlotKaXc7s6 = 5,
    eSlotKaXc7s25 = 6,
    eSlotRadio24 = 7,
    eSlotRadio900 = 8,
    eSlotMaster = 9,
    eSlotHdc = 10,
    eSlotBbm = 11,
};
constexpr int kSlotCount = 12;

struct Section
{
    qint64 offset = 0; // from the section base
    qint64 length = 0; // including the section header; 0 = absent
    qint64 spare = 0;  // third header value, not used
    quint8 id = 0;     // sent with the erase request

    bool IsPresent() const { return length != 0; }
};
using SectionTable = std::array<Section, kSlotCount>;

constexpr int kSectionHeaderSize = 8;
constexpr qint64 kBlockSize = 65536;
constexpr int kPacketSize = 256;
constexpr int kMaxBlocks = 255; // the block count travels as one byte

// How a section travels: whole blocks of data, padded with zeros.
struct Geometry
{
    qint64 dataBytes = 0;
    qint64 fill = 0;
    int blocks = 0;
    qint64 packets = 0;
};
Geometry SectionGeometry(qint64 length);

enum class HeaderError
{
    None,
    NotAnObject,
    NotAnArray,
    NotAnInteger,
};
// Fills table from the firmware header text; members for the other head variant are
// ignored like unknown names.
HeaderError ParseFirmwareHeader(const QByteArray& text, bool headVariant900, SectionTable& table);

// Every present section lies inside the file, holds at least its header and fits the
// block count byte.
bool SectionsAreSound(const SectionTable& table, qint64 base, qint64 fileSize);

// One row of the programming plan. Rows of one group are alternatives: once one is
// programmed, the rest of its group is passed over.
struct PlanRow
{
    int firstStep; // EraseStepOfRow of the row
    const char* name;
    int slot;
    char device;
    int group;
    int progressBase; // reported when the row is skipped
};
constexpr int kPlanRows = 12;
extern const std::array<PlanRow, kPlanRows> kPlan;
// Each row of the plan takes two steps of the update, its erase and then its write, from
// kFirstSectionStep on.
constexpr int kFirstSectionStep = 5;
constexpr int kLastSectionStep = kFirstSectionStep + 2 * kPlanRows - 1;
enum class SectionAction
{
    Erase,
    Write
};
// A row past the plan's last has the step after the plan for its erase step.
constexpr int EraseStepOfRow(int row)
{
    return kFirstSectionStep + 2 * row;
}
constexpr int WriteStepOfRow(int row)
{
    return EraseStepOfRow(row) + 1;
}
// What a step of the plan does.
constexpr SectionAction ActionOfStep(int step)
{
    return (step - kFirstSectionStep) % 2 == 0 ? SectionAction::Erase : SectionAction::Write;
}

// Row of a section step; -1 outside the steps of the plan.
int RowOfStep(int step);
// Whether the row is to be programmed, with the head's and keypad's hardware codes.
bool ShouldProgram(int row, const SectionTable& table, const QString& headCode,
                   const QString& keypadCode);
// The erase step of the first row after row's group; past the plan, the step after it.
int FirstStepOfNextGroup(int row);

// Sum of the bytes as unsigned values, modulo 2^32.
quint32 ByteSum(const QByteArray& bytes, quint32 start = 0);

// What the update takes from a package, all of it from the one pass that computed the
// digest: the update never reads a byte from the card that this pass did not check, and
// the image it copies later is compared with what this pass saw.
//
// Memory: the sections to be programmed are kept whole. The plan programs at most one
// section of each of its six groups, and a section is at most 255 blocks of 65,536 bytes
// plus its 8-byte header, so the largest package the format allows costs
// 6 x 16,711,688 = 100,270,128 bytes (95.6 MiB), plus up to 1 MiB of header text while it
// is parsed; a real package holds a few hundred KiB of firmware. The image is not kept,
// only its SHA-256.
struct SignatureBlock
{
    enum class State
    {
        None,
        Malformed, // the magic word at the end, and no block that fits it
        Present,
    };
    State state = State::None;
    QByteArray contentDigest; // SHA-256 of every byte from offset 21 up to the block
    QByteArray scriptDigest;  // as the block states it
    QList<QPair<QByteArray, QByteArray>> signatures; // public key, signature
};

struct CheckedPackage
{
    Version version;
    quint32 imageLength = 0;
    QByteArray imageDigest; // SHA-256 of the image bytes as checked
    qint64 base = 0;
    SectionTable sections{};
    // The whole section (header and data) of each slot to be programmed; empty otherwise.
    std::array<QByteArray, kSlotCount> data;
    // Read in the same pass; the package proper (image, header, sections) ends where the
    // block starts.
    SignatureBlock signature;
};

enum class LoadError
{
    None,
    Mismatch,  // digest differs, or the file is shorter than the digest
    ReadError, // a read failed or the file changed size during the pass
    TooShort,  // the version or the image runs past the end
    NoHeader,  // no firmware header terminated before the end
    HeaderNotObject,
    HeaderNotArray,
    HeaderNotInteger,
    SectionsUnsound, // a section outside the file, shorter than its header or too long
    NoMemory,
    Stopped,
};

struct LoadOptions
{
    QByteArray key;
    bool headVariant900 = false;
    // Whether the section in slot is to be programmed, once the table is known.
    std::function<bool(const SectionTable&, int slot)> keep;
    const std::atomic<bool>* stop = nullptr;
    // Counts the bytes read, for a watchdog that sees a read that never returns.
    std::atomic<qint64>* progress = nullptr;
};

// The installer script whole, from a regular file of at most kMaxInstallerSize bytes;
// nothing for anything else or a failed read. progress counts the bytes read.
std::optional<QByteArray> ReadInstaller(const QString& path,
                                        std::atomic<qint64>* progress = nullptr);

// The open package file.
class PackageFile
{
public:
    enum class Check
    {
        Match,
        Mismatch,
        ReadError,
    };
    enum class Copy
    {
        Done,
        PastEnd,
        ReadError,
        WriteError,
        Stopped,
        Changed, // the image differs from the one the digest pass read
    };

    PackageFile() = default;
    ~PackageFile() { Close(); }
    PackageFile(const PackageFile&) = delete;
    PackageFile& operator=(const PackageFile&) = delete;

    // Regular files only, opened without waiting: a FIFO or a device would block the reader.
    bool Open(const QString& path);
    // Takes over an open stream (an in-memory package).
    void Adopt(FILE* file);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    qint64 Size() const { return m_size; }

    // Compares the stored digest with the digest of the signed part, in constant time.
    Check Verify(const QByteArray& key);
    std::optional<Version> ReadVersion();
    // Exactly size bytes at offset, or nothing.
    std::optional<QByteArray> ReadAt(qint64 offset, qint64 size);
    std::optional<quint32> ReadImageLength();
    // Copies the file system image to out in chunks of kImageChunk; stop ends it early.
    Copy CopyImage(FILE* out, const std::atomic<bool>& stop);
    // The firmware header text (without its terminating zero) and the section base after
    // it; nothing when the package has no such header.
    std::optional<QByteArray> ReadFirmwareHeader(const Version& version, qint64* base);

    // Checks the digest and validates the whole plan in one pass over the file, keeping
    // what the update uses in out (see CheckedPackage). Nothing in out is to be used
    // unless this returns LoadError::None.
    LoadError Load(const LoadOptions& options, CheckedPackage* out);
    // Copies the image as CopyImage does and compares it with the checked one; Changed
    // when it differs (the caller removes the copy).
    Copy CopyCheckedImage(FILE* out, const CheckedPackage& checked, const std::atomic<bool>& stop,
                          std::atomic<qint64>* progress);

private:
    bool seek(qint64 offset);
    // Size of the signature block that the footer at the end announces: 0 for no footer,
    // -1 for a footer that fits no block, nothing when the end cannot be read.
    std::optional<qint64> signatureBlockSize(QByteArray* footer);

    FILE* m_file = nullptr;
    qint64 m_size = 0;
};

} // namespace UpdatePackage
