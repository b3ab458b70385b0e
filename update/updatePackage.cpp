#include "update/updatePackage.h"

#include "bus/quarnBusMsg.h"
#include "update/hmacSha1.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>

#include <fcntl.h>
#include <json-c/json.h>
#include <openssl/crypto.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace UpdatePackage {

namespace {

// A header larger than this is no header the build tools write.
constexpr qint64 kMaxHeaderSize = 1 << 20;

enum class Variant
{
    Any,
    Band24,
    Band900,
};

struct Member
{
    const char* name;
    int slot;
    quint8 id;
    Variant variant;
};

constexpr Member kMembers[] = {
    {"ha24", eSlotHa24, 0x20, Variant::Band24},
    {"ha900", eSlotHa900, 0x20, Variant::Band900},
    {"ka", eSlotKa, 0x20, Variant::Any},
    {"ka_any_xc7s6", eSlotKaXc7s6, 0x20, Variant::Any},
    {"ka_any_xc7s25", eSlotKaXc7s25, 0x20, Variant::Any},
    {"radio24", eSlotRadio24, 0x49, Variant::Band24},
    {"radio900", eSlotRadio900, 0x49, Variant::Band900},
    {"master", eSlotMaster, 0x50, Variant::Any},
    {"QU2HA", eSlotHdc, 0x54, Variant::Any},
    {"QU2BA", eSlotBbm, 0x56, Variant::Any},
};

const Member* findMember(const char* name, bool headVariant900)
{
    for (const Member& member : kMembers) {
        if (qstrcmp(member.name, name) != 0)
            continue;
        if (member.variant == Variant::Any ||
            (member.variant == Variant::Band900) == headVariant900)
            return &member;
        return nullptr;
    }
    return nullptr;
}

struct JsonDeleter
{
    void operator()(json_tokener* tokener) const { json_tokener_free(tokener); }
    void operator()(json_object* object) const { json_object_put(object); }
};

// Reads the signed part in order; every byte read goes through the MAC exactly once, and
// with a signature block each byte before it through the content digest, the block's own
// bytes into block().
class Pass
{
public:
    static constexpr size_t kChunk = 4096;
    using Sink = std::function<void(qint64 position, const char* bytes, size_t n)>;

    // blockStart: where the signature block starts; -1 without one.
    Pass(FILE* file, HmacSha1& mac, const LoadOptions& options, qint64 position, qint64 blockStart)
        : m_file(file), m_mac(mac), m_options(options), m_position(position),
          m_blockStart(blockStart)
    {}

    qint64 position() const { return m_position; }
    bool failed() const { return m_readError || !m_mac.ok(); }
    bool stopped() const { return m_stopped; }
    QByteArray contentDigest() const { return m_content.result(); }
    const QByteArray& block() const { return m_block; }

    // Up to n bytes, each to sha and sink when given; false unless all n came.
    bool take(qint64 n, QCryptographicHash* sha = nullptr, const Sink& sink = nullptr)
    {
        char chunk[kChunk];
        while (n > 0) {
            const size_t got = next(chunk, size_t(qMin<qint64>(n, qint64(kChunk))));
            if (got == 0)
                return false;
            if (sha)
                sha->addData(chunk, int(got));
            if (sink)
                sink(m_position - qint64(got), chunk, got);
            n -= qint64(got);
        }
        return true;
    }
    bool read(char* out, size_t n)
    {
        size_t done = 0;
        while (done < n) {
            const size_t got = next(out + done, n - done);
            if (got == 0)
                return false;
            done += got;
        }
        return true;
    }
    // Bytes up to the first zero (hashed, the zero too) into text; false without a zero
    // within max bytes.
    bool readUntilZero(QByteArray* text, qint64 max)
    {
        while (text->size() < max) {
            const int c = std::getc(m_file);
            if (c == EOF) {
                m_readError = m_readError || std::ferror(m_file);
                break;
            }
            const char byte = char(c);
            if (!feed(&byte, 1))
                return false;
            if (byte == '\0') {
                count(qint64(text->size()) + 1);
                return true;
            }
            text->append(byte);
        }
        count(text->size());
        return false;
    }
    // Everything left to the end of the file.
    void drain(const Sink& sink = nullptr)
    {
        take(std::numeric_limits<qint64>::max(), nullptr, sink);
    }

private:
    size_t next(char* out, size_t n)
    {
        if (m_options.stop && *m_options.stop) {
            m_stopped = true;
            return 0;
        }
        const size_t got = std::fread(out, 1, n, m_file);
        if (got < n && std::ferror(m_file))
            m_readError = true;
        if (got == 0 || !feed(out, got))
            return 0;
        count(qint64(got));
        return got;
    }
    bool feed(const char* bytes, size_t n)
    {
        if (!m_mac.update(bytes, n))
            return false;
        if (m_blockStart >= 0) {
            const size_t before = size_t(qBound<qint64>(0, m_blockStart - m_position, qint64(n)));
            m_content.addData(bytes, int(before));
            // A block that grows under the pass is told by its size; more is not kept.
            const size_t room = size_t(qMax(0, kMaxBlock + 1 - m_block.size()));
            m_block.append(bytes + before, int(qMin(n - before, room)));
        }
        m_position += qint64(n);
        return true;
    }
    void count(qint64 n)
    {
        if (m_options.progress)
            *m_options.progress += n;
    }

    static constexpr int kMaxBlock = int(SignatureBlockSize(kMaxSignatures));

    FILE* m_file;
    HmacSha1& m_mac;
    const LoadOptions& m_options;
    qint64 m_position;
    const qint64 m_blockStart;
    QCryptographicHash m_content{QCryptographicHash::Sha256};
    QByteArray m_block;
    bool m_readError = false;
    bool m_stopped = false;
};

// The block's fields; its size was checked against its count.
void parseSignatureBlock(const QByteArray& block, SignatureBlock* out)
{
    out->scriptDigest = block.left(kSha256Size);
    const int count = quint8(block.at(block.size() - kSignatureMagicSize - 1));
    constexpr int kEntry = kPublicKeySize + kSignatureSize;
    for (int i = 0; i < count; ++i) {
        const int at = kSha256Size + i * kEntry;
        out->signatures.append(
            {block.mid(at, kPublicKeySize), block.mid(at + kPublicKeySize, kSignatureSize)});
    }
}

} // namespace

QByteArray IntegrityKey()
{
    return QByteArrayLiteral("Five pale gulls fly\n");
}

QString Version::text() const
{
    return QStringLiteral("%1.%2.%3\n").arg(major).arg(minor).arg(build);
}

Geometry SectionGeometry(qint64 length)
{
    Geometry g;
    g.dataBytes = length - kSectionHeaderSize;
    const qint64 rest = g.dataBytes % kBlockSize;
    // An empty section still takes one whole block of zeros.
    g.fill = rest != 0 ? kBlockSize - rest : (g.dataBytes == 0 ? kBlockSize : 0);
    g.blocks = int((g.dataBytes + g.fill) / kBlockSize);
    g.packets = (g.dataBytes + g.fill) / kPacketSize;
    return g;
}

HeaderError ParseFirmwareHeader(const QByteArray& text, bool headVariant900, SectionTable& table)
{
    std::unique_ptr<json_tokener, JsonDeleter> tokener(json_tokener_new());
    std::unique_ptr<json_object, JsonDeleter> root(
        json_tokener_parse_ex(tokener.get(), text.constData(), text.size()));
    if (!root || !json_object_is_type(root.get(), json_type_object))
        return HeaderError::NotAnObject;

    json_object_object_foreach(root.get(), name, value)
    {
        if (!json_object_is_type(value, json_type_array)) {
            qDebug() << json_type_to_name(json_object_get_type(value))
                     << json_object_to_json_string(value);
            qDebug() << "Unexpected item in json header.";
            return HeaderError::NotAnArray;
        }
        qint64 values[3] = {};
        const size_t count = json_object_array_length(value);
        for (size_t i = 0; i < count; ++i) {
            json_object* element = json_object_array_get_idx(value, i);
            if (!json_object_is_type(element, json_type_int)) {
                qDebug() << "Unexpected item in json value.";
                return HeaderError::NotAnInteger;
            }
            if (i < 3)
                values[i] = json_object_get_int64(element);
        }
        if (const Member* member = findMember(name, headVariant900))
            table[size_t(member->slot)] = {values[0], values[1], values[2], member->id};
    }
    return HeaderError::None;
}

bool SectionsAreSound(const SectionTable& table, qint64 base, qint64 fileSize)
{
    for (const Section& s : table) {
        if (!s.IsPresent())
            continue;
        // Written so that no sum can overflow, whatever the header holds.
        const qint64 room = fileSize - base;
        if (s.offset < 0 || s.length < kSectionHeaderSize || base < 0 || room < 0 ||
            s.length > room || s.offset > room - s.length)
            return false;
        if (SectionGeometry(s.length).blocks > kMaxBlocks)
            return false;
    }
    return true;
}

const std::array<PlanRow, kPlanRows> kPlan = {{
    {5, "HCC", eSlotHa24, BusId::Hcc, 1, 25},
    {7, "", 1, BusId::Hcc, 1, 25},
    {9, "HCC900", eSlotHa900, BusId::Hcc, 1, 35},
    {11, "", 3, BusId::Hcc, 1, 35},
    {13, "KEY", eSlotKa, BusId::Key, 2, 45},
    {15, "KEY_7S6", eSlotKaXc7s6, BusId::Key, 2, 45},
    {17, "KEY_7S25", eSlotKaXc7s25, BusId::Key, 2, 45},
    {19, "RCC", eSlotRadio24, BusId::Hcc, 3, 45},
    {21, "RCC900", eSlotRadio900, BusId::Hcc, 3, 55},
    {23, "MST", eSlotMaster, BusId::Hcc, 4, 65},
    {25, "BBM", eSlotBbm, BusId::Hcc, 5, 75},
    {27, "HDC", eSlotHdc, BusId::Hcc, 6, 85},
}};

int RowOfStep(int step)
{
    if (step < kFirstSectionStep || step > kLastSectionStep)
        return -1;
    return (step - kFirstSectionStep) / 2;
}

static_assert(EraseStepOfRow(kPlanRows) == kLastSectionStep + 1);

bool ShouldProgram(int row, const SectionTable& table, const QString& headCode,
                   const QString& keypadCode)
{
    const PlanRow& r = kPlan.at(size_t(row));
    if (!table[size_t(r.slot)].IsPresent())
        return false;
    switch (r.slot) {
    case 1:
    case 3:
        return false;
    case eSlotHa24:
    case eSlotHa900:
        return headCode != QLatin1String("04");
    case eSlotKa:
        return keypadCode != QLatin1String("02") && keypadCode != QLatin1String("03");
    case eSlotKaXc7s6:
        return keypadCode == QLatin1String("02");
    case eSlotKaXc7s25:
        return keypadCode == QLatin1String("03");
    default:
        return true;
    }
}

int FirstStepOfNextGroup(int row)
{
    const int group = kPlan.at(size_t(row)).group;
    for (int next = row + 1; next < kPlanRows; ++next) {
        if (kPlan.at(size_t(next)).group != group)
            return kPlan.at(size_t(next)).firstStep;
    }
    return EraseStepOfRow(kPlanRows);
}

quint32 ByteSum(const QByteArray& bytes, quint32 start)
{
    quint32 sum = start;
    for (char byte : bytes)
        sum += quint8(byte);
    return sum;
}

namespace {

// A descriptor for reading a regular file, -1 for anything else.
int openRegularFile(const QString& path)
{
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::optional<QByteArray> ReadInstaller(const QString& path, std::atomic<qint64>* progress)
{
    const int fd = openRegularFile(path);
    if (fd < 0)
        return std::nullopt;
    // One byte more than allowed tells a script that is too large.
    QByteArray bytes(int(kMaxInstallerSize + 1), Qt::Uninitialized);
    qint64 size = 0;
    while (size < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + size, size_t(bytes.size() - size));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        size += got;
        if (progress)
            *progress += got;
    }
    ::close(fd);
    if (size > kMaxInstallerSize)
        return std::nullopt;
    bytes.truncate(int(size));
    return bytes;
}

bool PackageFile::Open(const QString& path)
{
    Close();
    const int fd = openRegularFile(path);
    if (fd < 0)
        return false;
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return false;
    }
    Adopt(file);
    return true;
}

void PackageFile::Adopt(FILE* file)
{
    Close();
    m_file = file;
    m_size = 0;
    if (fseeko(m_file, 0, SEEK_END) == 0)
        m_size = qMax<qint64>(0, ftello(m_file));
    seek(0);
}

void PackageFile::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    m_size = 0;
}

bool PackageFile::seek(qint64 offset)
{
    return m_file && fseeko(m_file, off_t(offset), SEEK_SET) == 0;
}

std::optional<qint64> PackageFile::signatureBlockSize(QByteArray* footer)
{
    constexpr int kFooter = 1 + kSignatureMagicSize;
    if (m_size < kSignedFrom + kFooter)
        return 0;
    footer->resize(kFooter);
    if (!seek(m_size - kFooter) ||
        std::fread(footer->data(), 1, size_t(kFooter), m_file) != size_t(kFooter))
        return std::nullopt;
    if (!footer->endsWith(kSignatureMagic))
        return 0;
    const int count = quint8(footer->at(0));
    // The package proper keeps at least its version and flags.
    if (count < 1 || count > kMaxSignatures ||
        SignatureBlockSize(count) > m_size - kImageLengthOffset)
        return -1;
    return SignatureBlockSize(count);
}

PackageFile::Check PackageFile::Verify(const QByteArray& key)
{
    QByteArray stored(1 + kDigestSize, '\0');
    if (!seek(0))
        return Check::ReadError;
    if (std::fread(stored.data(), 1, size_t(stored.size()), m_file) != size_t(stored.size()))
        return std::ferror(m_file) ? Check::ReadError : Check::Mismatch;
    const QByteArray computed = HmacSha1::Generate(m_file, key);
    if (computed.size() != kDigestSize)
        return Check::ReadError;
    return CRYPTO_memcmp(stored.constData() + kDigestOffset, computed.constData(), kDigestSize) == 0
               ? Check::Match
               : Check::Mismatch;
}

std::optional<QByteArray> PackageFile::ReadAt(qint64 offset, qint64 size)
{
    if (!m_file || offset < 0 || size < 0 || offset > m_size || size > m_size - offset ||
        !seek(offset))
        return std::nullopt;
    QByteArray bytes(int(size), '\0');
    if (std::fread(bytes.data(), 1, size_t(size), m_file) != size_t(size))
        return std::nullopt;
    return bytes;
}

std::optional<Version> PackageFile::ReadVersion()
{
    const auto bytes = ReadAt(kSignedFrom, 5);
    if (!bytes)
        return std::nullopt;
    Version v;
    v.major = quint8(bytes->at(0));
    v.minor = quint8(bytes->at(1));
    v.build = quint8(bytes->at(2));
    v.hasImage = bytes->at(3) == 1;
    v.hasFirmware = bytes->at(4) == 1;
    return v;
}

std::optional<quint32> PackageFile::ReadImageLength()
{
    const auto bytes = ReadAt(kImageLengthOffset, 4);
    if (!bytes)
        return std::nullopt;
    const quint32 length = quint32(quint8(bytes->at(0))) | quint32(quint8(bytes->at(1))) << 8 |
                           quint32(quint8(bytes->at(2))) << 16 |
                           quint32(quint8(bytes->at(3))) << 24;
    if (qint64(length) > m_size - kImageOffset)
        return std::nullopt;
    return length;
}

PackageFile::Copy PackageFile::CopyImage(FILE* out, const std::atomic<bool>& stop)
{
    const auto length = ReadImageLength();
    if (!length || !seek(kImageOffset))
        return Copy::PastEnd;
    char chunk[kImageChunk];
    for (qint64 left = *length; left > 0;) {
        if (stop)
            return Copy::Stopped;
        const size_t n = size_t(qMin<qint64>(left, kImageChunk));
        if (std::fread(chunk, 1, n, m_file) != n)
            return Copy::ReadError;
        if (std::fwrite(chunk, 1, n, out) != n)
            return Copy::WriteError;
        left -= qint64(n);
    }
    return std::fflush(out) == 0 ? Copy::Done : Copy::WriteError;
}

std::optional<QByteArray> PackageFile::ReadFirmwareHeader(const Version& version, qint64* base)
{
    qint64 start = kImageLengthOffset;
    if (version.hasImage) {
        const auto length = ReadImageLength();
        if (!length)
            return std::nullopt;
        start = kImageOffset + *length;
    }
    start += kFirmwareSkip;
    if (start > m_size || !seek(start))
        return std::nullopt;

    QByteArray text;
    char chunk[kImageChunk];
    while (text.size() < kMaxHeaderSize) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, m_file);
        const int nul = QByteArray::fromRawData(chunk, int(n)).indexOf('\0');
        if (nul >= 0) {
            text.append(chunk, nul);
            *base = start + text.size() + 1;
            return text;
        }
        if (n < sizeof chunk)
            return std::nullopt; // no terminating zero before the end
        text.append(chunk, int(n));
    }
    return std::nullopt;
}

LoadError PackageFile::Load(const LoadOptions& options, CheckedPackage* out)
{
    *out = CheckedPackage();
    char stored[1 + kDigestSize];
    if (!seek(0))
        return LoadError::ReadError;
    if (std::fread(stored, 1, sizeof stored, m_file) != sizeof stored)
        return std::ferror(m_file) ? LoadError::ReadError : LoadError::Mismatch;
    QByteArray footer;
    const std::optional<qint64> blockSize = signatureBlockSize(&footer);
    if (!blockSize || !seek(kSignedFrom))
        return LoadError::ReadError;
    SignatureBlock& signature = out->signature;
    signature.state = *blockSize > 0   ? SignatureBlock::State::Present
                      : *blockSize < 0 ? SignatureBlock::State::Malformed
                                       : SignatureBlock::State::None;
    // Where the package proper ends: nothing it points at may lie in the block.
    const qint64 end = *blockSize > 0 ? m_size - *blockSize : m_size;
    HmacSha1 mac(options.key);
    if (!mac.ok())
        return LoadError::ReadError;
    Pass pass(m_file, mac, options, kSignedFrom, *blockSize > 0 ? end : -1);

    // The layout up to the section base; the first fault ends it, the rest is only hashed.
    std::array<qint64, kSlotCount> filled{};
    const auto structure = [&]() -> LoadError {
        char head[5];
        if (!pass.read(head, sizeof head))
            return LoadError::TooShort;
        Version& v = out->version;
        v.major = quint8(head[0]);
        v.minor = quint8(head[1]);
        v.build = quint8(head[2]);
        v.hasImage = head[3] == 1;
        v.hasFirmware = head[4] == 1;
        if (v.hasImage) {
            unsigned char length[4];
            if (!pass.read(reinterpret_cast<char*>(length), sizeof length))
                return LoadError::TooShort;
            out->imageLength = quint32(length[0]) | quint32(length[1]) << 8 |
                               quint32(length[2]) << 16 | quint32(length[3]) << 24;
            if (qint64(out->imageLength) > end - kImageOffset)
                return LoadError::TooShort;
            QCryptographicHash sha(QCryptographicHash::Sha256);
            if (!pass.take(out->imageLength, &sha))
                return LoadError::TooShort;
            out->imageDigest = sha.result();
        }
        if (!v.hasFirmware)
            return LoadError::None;
        QByteArray text;
        if (!pass.take(kFirmwareSkip) || !pass.readUntilZero(&text, kMaxHeaderSize) ||
            pass.position() > end)
            return LoadError::NoHeader;
        out->base = pass.position();
        switch (ParseFirmwareHeader(text, options.headVariant900, out->sections)) {
        case HeaderError::None:
            break;
        case HeaderError::NotAnObject:
            return LoadError::HeaderNotObject;
        case HeaderError::NotAnArray:
            return LoadError::HeaderNotArray;
        case HeaderError::NotAnInteger:
            return LoadError::HeaderNotInteger;
        }
        if (!SectionsAreSound(out->sections, out->base, end))
            return LoadError::SectionsUnsound;
        try {
            for (int slot = 0; slot < kSlotCount; ++slot) {
                const Section& section = out->sections[size_t(slot)];
                if (section.IsPresent() && options.keep && options.keep(out->sections, slot))
                    out->data[size_t(slot)] = QByteArray(int(section.length), Qt::Uninitialized);
            }
        } catch (const std::bad_alloc&) {
            out->data = {};
            return LoadError::NoMemory;
        }
        return LoadError::None;
    }();

    // The data area, copied into the kept sections as it passes.
    pass.drain([&](qint64 position, const char* bytes, size_t n) {
        for (size_t slot = 0; slot < size_t(kSlotCount); ++slot) {
            QByteArray& data = out->data[slot];
            if (data.isEmpty())
                continue;
            const qint64 start = out->base + out->sections[slot].offset;
            const qint64 from = qMax(position, start);
            const qint64 to = qMin(position + qint64(n), start + qint64(data.size()));
            if (from >= to)
                continue;
            std::memcpy(data.data() + (from - start), bytes + (from - position), size_t(to - from));
            filled[slot] += to - from;
        }
    });
    if (pass.stopped())
        return LoadError::Stopped;
    if (pass.failed())
        return LoadError::ReadError;
    const QByteArray computed = mac.final();
    if (computed.size() != kDigestSize)
        return LoadError::ReadError;
    if (CRYPTO_memcmp(stored + kDigestOffset, computed.constData(), kDigestSize) != 0)
        return LoadError::Mismatch;
    if (structure != LoadError::None) {
        out->data = {};
        return structure;
    }
    for (size_t slot = 0; slot < size_t(kSlotCount); ++slot) {
        if (filled[slot] != qint64(out->data[slot].size()))
            return LoadError::ReadError; // the file shrank under the pass
    }
    if (signature.state == SignatureBlock::State::Present) {
        // The block as the MAC saw it, not as read ahead of the pass.
        if (pass.block().size() != *blockSize || !pass.block().endsWith(footer))
            return LoadError::ReadError;
        signature.contentDigest = pass.contentDigest();
        parseSignatureBlock(pass.block(), &signature);
    }
    return LoadError::None;
}

PackageFile::Copy PackageFile::CopyCheckedImage(FILE* out, const CheckedPackage& checked,
                                                const std::atomic<bool>& stop,
                                                std::atomic<qint64>* progress)
{
    if (!seek(kImageOffset))
        return Copy::ReadError;
    QCryptographicHash sha(QCryptographicHash::Sha256);
    char chunk[kImageChunk];
    for (qint64 left = checked.imageLength; left > 0;) {
        if (stop)
            return Copy::Stopped;
        const size_t n = size_t(qMin<qint64>(left, kImageChunk));
        if (std::fread(chunk, 1, n, m_file) != n)
            return Copy::ReadError;
        if (progress)
            *progress += qint64(n);
        sha.addData(chunk, int(n));
        if (std::fwrite(chunk, 1, n, out) != n)
            return Copy::WriteError;
        left -= qint64(n);
    }
    if (sha.result() != checked.imageDigest)
        return Copy::Changed;
    return std::fflush(out) == 0 ? Copy::Done : Copy::WriteError;
}

} // namespace UpdatePackage
