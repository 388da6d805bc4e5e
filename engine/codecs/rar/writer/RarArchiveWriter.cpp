#include "engine/codecs/rar/writer/RarArchiveWriter.h"

#include <algorithm>

#include "engine/codecs/rar/writer/Rar20Encoder.h"
#include "engine/codecs/rar/RarCrc32.h"
#include "engine/codecs/rar/RarMemberRecord.h"
#include "engine/core/Log.h"

namespace
{

constexpr uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr uint8_t kHostWin32 = 2;
constexpr uint8_t kUnpackVersion = 20;
constexpr uint8_t kStored = 0x30;
constexpr uint16_t kHasAddedData = 0x8000;
constexpr uint16_t kDictionary1M = 0x80;
constexpr uint32_t kArchiveAttribute = 0x20;
constexpr uint32_t kDirectoryAttribute = 0x10;

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Fills in the header CRC (the low half of the CRC-32 of everything after
// the CRC field) of the header that starts at start.
void SealHeader(std::vector<uint8_t>& out, size_t start)
{
    uint32_t crc = RarCrc32::Compute(out.data() + start + 2, out.size() - start - 2);
    out[start] = static_cast<uint8_t>(crc);
    out[start + 1] = static_cast<uint8_t>(crc >> 8);
}

struct FileHeader
{
    uint16_t flags;
    uint32_t packedSize;
    uint32_t unpackedSize;
    uint32_t crc;
    uint32_t dosTime;
    uint8_t method;
    uint32_t attributes;
};

void PutFileHeader(std::vector<uint8_t>& out, const FileHeader& header, const String& name)
{
    size_t start = out.size();
    Put16(out, 0);
    out.push_back(0x74);
    Put16(out, header.flags | kHasAddedData);
    Put16(out, 32 + name.Length());
    Put32(out, header.packedSize);
    Put32(out, header.unpackedSize);
    out.push_back(kHostWin32);
    Put32(out, header.crc);
    Put32(out, header.dosTime);
    out.push_back(kUnpackVersion);
    out.push_back(header.method);
    Put16(out, name.Length());
    Put32(out, header.attributes);
    out.insert(out.end(), name.CStr(), name.CStr() + name.Length());
    SealHeader(out, start);
}

} // namespace

int32_t RarArchiveWriter::Write(const std::vector<Entry>& entries, const Options& options, std::vector<uint8_t>& out)
{
    for (const Entry& entry : entries)
    {
        if (entry.name.IsEmpty() || entry.name.Length() > RarMemberRecord::kMaxNameLength)
        {
            LogError("Имя файла [%s] не подходит для архива (от 1 до %u байт).", entry.name.CStr(),
                     RarMemberRecord::kMaxNameLength);
            return 3;
        }
    }

    uint32_t level = std::clamp<uint32_t>(options.level, 1, 5);
    Rar20Encoder encoder(level);
    if (!options.store && !encoder.Initialize())
    {
        LogError("Недостаточно памяти для упаковки архива.");
        return 2;
    }

    out.insert(out.end(), kMarker, kMarker + sizeof(kMarker));
    size_t main = out.size();
    Put16(out, 0);
    out.push_back(0x73);
    Put16(out, options.solid ? 0x08 : 0x00);
    Put16(out, 13);
    Put16(out, 0);
    Put32(out, 0);
    SealHeader(out, main);

    // In a solid archive every compressed member after the first continues
    // the stream; stored members stay outside it, so the decoder's window
    // and the encoder's history hold the same bytes.
    bool streamStarted = false;
    std::vector<uint8_t> packed;
    std::vector<const Entry*> order;
    for (const Entry& entry : entries)
        if (entry.directory)
            order.push_back(&entry);
    for (const Entry& entry : entries)
        if (!entry.directory && (entry.size > 0 || !options.solid))
            order.push_back(&entry);
    for (const Entry& entry : entries)
        if (!entry.directory && entry.size == 0 && options.solid)
            order.push_back(&entry);
    for (const Entry* next : order)
    {
        const Entry& entry = *next;
        if (entry.directory)
        {
            FileHeader header{static_cast<uint16_t>(RarMemberRecord::kDirectoryFlags), 0, 0, 0, entry.dosTime, kStored,
                              kDirectoryAttribute};
            PutFileHeader(out, header, entry.name);
            continue;
        }

        FileHeader header{kDictionary1M, entry.size, entry.size, RarCrc32::Compute(entry.data, entry.size),
                          entry.dosTime, kStored, kArchiveAttribute};
        packed.clear();
        if (!options.store && entry.size > 0)
        {
            bool continues = options.solid && streamStarted;
            encoder.Encode(entry.data, entry.size, continues, options.audio, packed);
            // Outside a solid stream a member that does not shrink is
            // better stored.
            if (options.solid || packed.size() < entry.size)
            {
                header.method = static_cast<uint8_t>(kStored + level);
                header.packedSize = static_cast<uint32_t>(packed.size());
                if (continues)
                    header.flags |= RarMemberRecord::kSolid;
                streamStarted = options.solid;
            }
        }
        PutFileHeader(out, header, entry.name);
        if (header.method == kStored)
            out.insert(out.end(), entry.data, entry.data + entry.size);
        else
            out.insert(out.end(), packed.begin(), packed.end());
    }
    return 0;
}
