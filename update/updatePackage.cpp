#include "update/updatePackage.h"

#include "bus/quarnBusMsg.h"
#include "update/hmacSha1.h"

#include <QDebug>
#include <QFile>

#include <json-c/json.h>
#include <openssl/crypto.h>

#include <memory>

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
    return kLastSectionStep + 1;
}

quint32 ByteSum(const QByteArray& bytes, quint32 start)
{
    quint32 sum = start;
    for (char byte : bytes)
        sum += quint8(byte);
    return sum;
}

bool PackageFile::Open(const QString& path)
{
    Close();
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return false;
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

} // namespace UpdatePackage
