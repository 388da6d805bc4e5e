// Feeds arbitrary bytes to the archive reader, two ways: as a whole archive
// (headers, then every member extracted alone and all in one pass), and as
// the compressed data of members whose headers are valid, so that the
// decoder itself sees what the headers would otherwise keep from it.
// Whatever the bytes, each call must fail or succeed cleanly.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/codecs/rar/RarArchiveReader.h"
#include "engine/codecs/rar/RarCrc32.h"

namespace
{

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

void AddMember(std::vector<uint8_t>& out, const char* name, const uint8_t* data, uint32_t size, uint32_t unpacked,
               uint16_t flags)
{
    uint32_t nameLength = static_cast<uint32_t>(std::strlen(name));
    Put16(out, 0);
    out.push_back(0x74);
    Put16(out, 0x8000 | flags);
    Put16(out, 32 + nameLength);
    Put32(out, size);
    Put32(out, unpacked);
    out.push_back(2);
    Put32(out, RarCrc32::Compute(data, size));
    Put32(out, 0);
    out.push_back(20);
    out.push_back(0x33);
    Put16(out, nameLength);
    Put32(out, 0x20);
    out.insert(out.end(), name, name + nameLength);
    out.insert(out.end(), data, data + size);
}

void ExtractEverything(const std::vector<uint8_t>& archive)
{
    const uint32_t size = static_cast<uint32_t>(archive.size());
    std::vector<RarMemberRecord> members;
    if (RarArchiveReader::ListArchive(archive.data(), size, members) != 0)
        return;
    // Each member alone decodes every member before it in a solid archive:
    // a few suffice to reach the solid paths.
    for (size_t i = 0; i < members.size() && i < 8; ++i)
    {
        std::unique_ptr<uint8_t[]> bytes;
        uint32_t length = 0;
        RarArchiveReader::ExtractMember(archive.data(), size, members[i].name, String(), &bytes, &length);
    }
    std::vector<RarArchiveReader::Extracted> all;
    RarArchiveReader::ExtractAll(archive.data(), size, String(), all);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    if (size > 0 && data[0] == 'Z' && size >= 5)
    {
        // Decoder mode: byte 1 picks the unpacked size (up to 64 KB), byte 2
        // where the data splits into a first and a solid second member.
        uint32_t unpacked = (uint32_t(data[1]) << 8 | data[2]) & 0xFFFF;
        const uint8_t* packed = data + 4;
        uint32_t packedSize = static_cast<uint32_t>(size - 4);
        uint32_t split = packedSize * data[3] / 255;
        std::vector<uint8_t> archive = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
        Put16(archive, 0);
        archive.push_back(0x73);
        Put16(archive, 0x08);
        Put16(archive, 13);
        Put16(archive, 0);
        Put32(archive, 0);
        AddMember(archive, "a", packed, split, unpacked, 0x80);
        AddMember(archive, "b", packed + split, packedSize - split, unpacked / 2, 0x90);
        ExtractEverything(archive);
        return 0;
    }
    ExtractEverything(std::vector<uint8_t>(data, data + size));
    return 0;
}
