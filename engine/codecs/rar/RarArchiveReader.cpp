#include "engine/codecs/rar/RarArchiveReader.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/codecs/rar/Rar20Decoder.h"
#include "engine/codecs/rar/RarCrc32.h"
#include "engine/core/Log.h"

namespace
{

constexpr uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr uint8_t kOldMarker[7] = {0x55, 0x6E, 0x69, 0x71, 0x75, 0x45, 0x21};
constexpr uint32_t kMainHeaderSize = 13;
constexpr uint32_t kFileHeaderSize = 32;
constexpr uint8_t kFileHeader = 0x74;
constexpr uint8_t kSubBlock = 0x77;
constexpr uint16_t kHasAddedData = 0x8000;
constexpr uint16_t kSolidArchive = 0x08;
constexpr uint8_t kStored = 0x30;

// Names are compared over at most this many bytes.
constexpr uint32_t kCompareLength = 512;

// Nothing a real archive of this system holds comes near this; it keeps a
// hostile size from reserving memory the data could never fill.
constexpr uint32_t kMaxMemberSize = 0x40000000;

// The most output one packed bit can give: a copy of up to 260 bytes.
constexpr uint64_t kMaxBytesPerPackedByte = 8 * 260;

uint16_t Read16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Read32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Walks the headers of an archive in memory; every offset is checked
// against the data before it is read.
class HeaderScanner
{
public:
    HeaderScanner(const uint8_t* data, uint32_t size) : data(data), size(size) {}

    // Marker and main header; false (logged) when the data is no archive.
    bool Open()
    {
        if (!data || size < sizeof(kMarker) ||
            (std::memcmp(data, kMarker, sizeof(kMarker)) != 0 && std::memcmp(data, kOldMarker, sizeof(kOldMarker)) != 0))
        {
            LogError("Данные не являются архивом RAR.");
            return false;
        }
        if (size < sizeof(kMarker) + kMainHeaderSize)
        {
            LogError("Заголовок архива RAR обрывается.");
            return false;
        }
        const uint8_t* main = data + sizeof(kMarker);
        mainFlags = Read16(main + 3);
        uint16_t headerSize = Read16(main + 5);
        if (headerSize < kMainHeaderSize)
        {
            LogError("Неверный размер заголовка архива RAR (%u).", headerSize);
            return false;
        }
        position = sizeof(kMarker) + uint64_t(headerSize);
        return true;
    }

    bool IsSolid() const { return (mainFlags & kSolidArchive) != 0; }

    // The next file header; false at the end of the listing.
    bool Next(RarMemberRecord& record)
    {
        while (position + 7 <= size)
        {
            const uint8_t* block = data + position;
            uint8_t type = block[2];
            uint16_t flags = Read16(block + 3);
            uint16_t headerSize = Read16(block + 5);
            if (headerSize < 7 || type == kSubBlock)
                return false;
            uint64_t added = 0;
            if (flags & kHasAddedData)
            {
                if (position + 11 > size)
                    return false;
                added = Read32(block + 7);
            }
            uint64_t start = position;
            position = start + headerSize + added;
            if (type != kFileHeader)
                continue;

            if (headerSize < kFileHeaderSize || start + kFileHeaderSize > size)
            {
                LogWarning("Заголовок файла в архиве RAR повреждён (смещение %llu).",
                           static_cast<unsigned long long>(start));
                return false;
            }
            uint16_t nameLength = Read16(block + 26);
            if (kFileHeaderSize + uint32_t(nameLength) > headerSize || start + kFileHeaderSize + nameLength > size)
            {
                LogWarning("Имя файла в архиве RAR выходит за заголовок (смещение %llu).",
                           static_cast<unsigned long long>(start));
                return false;
            }
            record.flags = flags;
            record.packedSize = Read32(block + 7);
            record.unpackedSize = Read32(block + 11);
            record.hostOs = block[15];
            record.crc = Read32(block + 16);
            record.fileTime = Read32(block + 20);
            record.unpackVersion = block[24];
            record.method = block[25];
            record.nameLength = nameLength;
            record.attributes = Read32(block + 28);
            record.dataOffset = start + headerSize <= UINT32_MAX ? static_cast<uint32_t>(start + headerSize) : UINT32_MAX;

            const char* name = reinterpret_cast<const char*>(block + kFileHeaderSize);
            uint32_t length = nameLength;
            // A Unicode name follows the code-page name behind a zero byte.
            if (flags & RarMemberRecord::kUnicodeName)
                if (const void* zero = std::memchr(name, 0, length))
                    length = static_cast<uint32_t>(static_cast<const char*>(zero) - name);
            if (length > RarMemberRecord::kMaxNameLength)
                length = RarMemberRecord::kMaxNameLength;
            record.name = String(name, length);
            return true;
        }
        return false;
    }

private:
    const uint8_t* data;
    uint32_t size;
    uint16_t mainFlags = 0;
    uint64_t position = 0;
};

enum class Failure
{
    kNone,
    kVersion,
    kEncrypted,
    kSplit,
    kBeyondArchive,
    kBadSize,
    kNoMemory,
    kDecoder,
    kLostState,
    kCrc,
};

// One pass over an archive's members with one decoder, so that a solid
// archive's state runs on from member to member.
class MemberUnpacker
{
public:
    MemberUnpacker(const uint8_t* data, uint32_t size, bool solidArchive)
        : data(data), size(size), solidArchive(solidArchive)
    {
    }

    bool Initialize() { return decoder.Initialize(); }

    // Unpacks the member into destination (unpackedSize bytes), or only
    // through the window when destination is null. Failure::kNone on
    // success. A compressed member that fails takes the decoder state with
    // it: the solid members after it fail with kLostState until one starts
    // afresh.
    Failure Unpack(const RarMemberRecord& record, uint8_t* destination)
    {
        result = Rar20Decoder::kDecoded;
        bool continues = solidArchive && (record.flags & RarMemberRecord::kSolid);
        if (continues && stateLost)
            return Failure::kLostState;

        Failure failure = Check(record);
        if (failure != Failure::kNone)
        {
            if (record.method != kStored)
                stateLost = true;
            return failure;
        }
        const uint8_t* packed = data + record.dataOffset;
        if (record.method == kStored)
        {
            if (destination)
                std::memcpy(destination, packed, record.unpackedSize);
        }
        else
        {
            result = decoder.Decode(packed, record.packedSize, record.unpackedSize, continues, destination);
            stateLost = result != Rar20Decoder::kDecoded;
            if (stateLost)
                return Failure::kDecoder;
        }
        if (destination && RarCrc32::Compute(destination, record.unpackedSize) != record.crc)
            return Failure::kCrc;
        return Failure::kNone;
    }

    void LogFailure(const RarMemberRecord& record, Failure failure)
    {
        const char* name = record.name.CStr();
        switch (failure)
        {
        case Failure::kNone:
            break;
        case Failure::kVersion:
            LogError("Файл [%s] упакован неподдерживаемой версией архиватора (%u).", name, record.unpackVersion);
            break;
        case Failure::kEncrypted:
            LogError("Файл [%s] в архиве зашифрован: зашифрованные файлы не поддерживаются.", name);
            break;
        case Failure::kSplit:
            LogError("Файл [%s] разделён между томами архива: многотомные архивы не поддерживаются.", name);
            break;
        case Failure::kBeyondArchive:
            LogError("Данные файла [%s] выходят за конец архива.", name);
            break;
        case Failure::kBadSize:
            LogError("Неверный размер файла [%s] в архиве (%u байт).", name, record.unpackedSize);
            break;
        case Failure::kNoMemory:
            LogError("Недостаточно памяти для распаковки файла [%s].", name);
            break;
        case Failure::kDecoder:
            LogError("Невозможно распаковать файл [%s]: %s.", name, Rar20Decoder::Describe(result));
            break;
        case Failure::kLostState:
            LogError("Невозможно распаковать файл [%s]: предшествующий файл непрерывного архива не распакован.",
                     name);
            break;
        case Failure::kCrc:
            LogError("Неверная контрольная сумма файла [%s] в архиве.", name);
            break;
        }
    }

private:
    Failure Check(const RarMemberRecord& record) const
    {
        if (record.unpackVersion < 13 || record.unpackVersion > 20)
            return Failure::kVersion;
        if (record.flags & RarMemberRecord::kEncrypted)
            return Failure::kEncrypted;
        if (record.flags & (RarMemberRecord::kSplitBefore | RarMemberRecord::kSplitAfter))
            return Failure::kSplit;
        if (uint64_t(record.dataOffset) + record.packedSize > size)
            return Failure::kBeyondArchive;
        if (record.unpackedSize > kMaxMemberSize)
            return Failure::kBadSize;
        if (record.method == kStored ? record.packedSize < record.unpackedSize
                                     : record.unpackedSize > (uint64_t(record.packedSize) + 4) * kMaxBytesPerPackedByte)
            return Failure::kBadSize;
        return Failure::kNone;
    }

    const uint8_t* data;
    uint32_t size;
    bool solidArchive;
    Rar20Decoder decoder;
    Rar20Decoder::Result result = Rar20Decoder::kDecoded; // of the last member, for the log
    bool stateLost = false;
};

// A block for the member's bytes: one byte even for an empty member, so
// that success always hands out a block.
std::unique_ptr<uint8_t[]> NewMemberBlock(uint32_t size)
{
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size ? size : 1]);
}

} // namespace

int32_t RarArchiveReader::ListArchive(const uint8_t* data, uint32_t size, std::vector<RarMemberRecord>& members)
{
    members.clear();
    HeaderScanner scanner(data, size);
    if (!scanner.Open())
        return 1;
    RarMemberRecord record;
    while (scanner.Next(record))
        members.push_back(record);
    return 0;
}

bool RarArchiveReader::NamesMatch(const String& stored, const String& requested)
{
    uint32_t length = stored.Length() < kCompareLength ? stored.Length() : kCompareLength;
    uint32_t otherLength = requested.Length() < kCompareLength ? requested.Length() : kCompareLength;
    if (length != otherLength)
        return false;
    const char* a = stored.CStr();
    const char* b = requested.CStr();
    for (uint32_t i = 0; i < length; ++i)
    {
        auto fold = [](char c) {
            if (c == '/')
                return '\\';
            return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

bool RarArchiveReader::ExtractMember(const uint8_t* data, uint32_t size, const String& name, const String&,
                                     std::unique_ptr<uint8_t[]>* bytes, uint32_t* length)
{
    if (!bytes || !length)
        return false;
    bytes->reset();
    *length = 0;
    HeaderScanner scanner(data, size);
    if (!scanner.Open())
        return false;
    MemberUnpacker unpacker(data, size, scanner.IsSolid());
    bool decoderReady = false;

    RarMemberRecord record;
    while (scanner.Next(record))
    {
        if (record.IsDirectory())
            continue;
        bool wanted = NamesMatch(record.name, name);
        if (!wanted && !scanner.IsSolid())
            continue;
        if (!decoderReady && !(decoderReady = unpacker.Initialize()))
        {
            LogError("Недостаточно памяти для распаковки файла [%s].", name.CStr());
            return false;
        }
        if (!wanted)
        {
            // Failures of members before the wanted one show when the wanted
            // one needs their state.
            unpacker.Unpack(record, nullptr);
            continue;
        }

        std::unique_ptr<uint8_t[]> block =
            record.unpackedSize <= kMaxMemberSize ? NewMemberBlock(record.unpackedSize) : nullptr;
        Failure failure = unpacker.Unpack(record, block.get());
        if (failure == Failure::kNone && !block)
            failure = Failure::kNoMemory;
        if (failure != Failure::kNone)
        {
            block.reset();
            unpacker.LogFailure(record, failure);
            return false;
        }
        *bytes = std::move(block);
        *length = record.unpackedSize;
        return true;
    }
    LogError("Файл [%s] не найден в архиве.", name.CStr());
    return false;
}

int32_t RarArchiveReader::ExtractAll(const uint8_t* data, uint32_t size, const String&, std::vector<Extracted>& members)
{
    members.clear();
    HeaderScanner scanner(data, size);
    if (!scanner.Open())
        return 1;
    MemberUnpacker unpacker(data, size, scanner.IsSolid());
    bool decoderReady = false;

    RarMemberRecord record;
    while (scanner.Next(record))
    {
        Extracted entry;
        entry.record = record;
        if (!entry.record.IsDirectory())
        {
            if (!decoderReady && !(decoderReady = unpacker.Initialize()))
            {
                LogError("Недостаточно памяти для распаковки архива.");
                return 2;
            }
            std::unique_ptr<uint8_t[]> block =
                record.unpackedSize <= kMaxMemberSize ? NewMemberBlock(record.unpackedSize) : nullptr;
            Failure failure = unpacker.Unpack(record, block.get());
            if (failure == Failure::kNone && !block)
                failure = Failure::kNoMemory;
            if (failure == Failure::kNone)
            {
                entry.bytes = std::move(block);
                entry.length = record.unpackedSize;
            }
            else
            {
                block.reset();
                unpacker.LogFailure(record, failure);
            }
        }
        members.push_back(std::move(entry));
    }
    return 0;
}
