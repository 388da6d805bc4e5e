#pragma once
// Helpers for the archive tests: the real archives beside the repository,
// archives built header by header (fields no packer would write), and
// unpack-2.0 streams built symbol by symbol.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/codecs/rar/Rar20Format.h"
#include "engine/codecs/rar/writer/RarBitOutput.h"
#include "engine/codecs/rar/RarCrc32.h"
#include "engine/codecs/rar/writer/RarHuffmanEncoder.h"
#include "engine/codecs/rar/writer/RarTableEncoder.h"
#include "support/Bytes.h"

namespace rartest
{

// Archives made by RAR 2.x programs, kept outside the repository (they come
// from other projects' test suites, under their own licences): the folder
// named by VERNALIA_RAR_DATA, else shared/data/rar beside the checkout.
// Tests skip when neither is there.
inline std::string RealArchive(const char* name)
{
    const char* folder = std::getenv("VERNALIA_RAR_DATA");
    std::string base = folder && *folder ? std::string(folder) + "/" : std::string(VERNALIA_SOURCE_DIR "/../shared/data/rar/");
    return base + name;
}

// Random bytes: what no packer can shrink.
inline Bytes RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 generator(seed);
    Bytes bytes(size);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(generator());
    return bytes;
}

// Words from a small vocabulary: compressible, with matches near and far.
inline Bytes Text(size_t size, uint32_t seed)
{
    static const char* words[] = {"spring ", "meadow ", "blossom ", "river ", "light ", "the ", "a ", "green\n"};
    std::mt19937 generator(seed);
    Bytes bytes;
    while (bytes.size() < size)
    {
        const char* word = words[generator() % 8];
        bytes.insert(bytes.end(), word, word + std::strlen(word));
    }
    bytes.resize(size);
    return bytes;
}

// 16-bit stereo samples of two tones: what the multimedia mode is for.
inline Bytes Pcm(size_t frames)
{
    Stream out(0, 4096);
    for (size_t i = 0; i < frames; ++i)
    {
        out.WriteInt16(static_cast<int16_t>(9000 * std::sin(i * 0.031)));
        out.WriteInt16(static_cast<int16_t>(7000 * std::sin(i * 0.047 + 1)));
    }
    return WrittenBytes(out);
}

// One file header with every field settable.
struct RawMember
{
    std::string name;
    Bytes data;                     // the packed bytes
    uint32_t unpackedSize = 0;
    uint32_t crc = 0;
    uint16_t flags = 0x8080;
    uint8_t version = 20;
    uint8_t method = 0x30;
    uint32_t attributes = 0x20;
    int64_t packedSize = -1;        // -1: the data's size
    int32_t nameSize = -1;          // -1: the name's size
    int32_t headerSize = -1;        // -1: 32 + name
};

// A stored member whose header matches its bytes.
inline RawMember Stored(const std::string& name, const std::string& content)
{
    RawMember member;
    member.name = name;
    member.data = BytesOf(content);
    member.unpackedSize = static_cast<uint32_t>(content.size());
    member.crc = RarCrc32::Compute(content.data(), content.size());
    return member;
}

inline Bytes BuildArchive(const std::vector<RawMember>& members, uint16_t mainFlags = 0)
{
    Stream out(0, 256);
    out.Write("Rar!\x1A\x07\x00", 7);
    out.WriteInt16(0);
    out.WriteInt8(0x73);
    out.WriteInt16(static_cast<int16_t>(mainFlags));
    out.WriteInt16(13);
    out.WriteInt16(0);
    out.WriteInt32(0);
    for (const RawMember& member : members)
    {
        out.WriteInt16(0);
        out.WriteInt8(0x74);
        out.WriteInt16(static_cast<int16_t>(member.flags));
        out.WriteInt16(static_cast<int16_t>(member.headerSize >= 0 ? member.headerSize : int32_t(32 + member.name.size())));
        out.WriteUInt32(member.packedSize >= 0 ? uint32_t(member.packedSize) : uint32_t(member.data.size()));
        out.WriteUInt32(member.unpackedSize);
        out.WriteInt8(2);
        out.WriteUInt32(member.crc);
        out.WriteUInt32(0x5A210000);
        out.WriteInt8(static_cast<int8_t>(member.version));
        out.WriteInt8(static_cast<int8_t>(member.method));
        out.WriteInt16(static_cast<int16_t>(member.nameSize >= 0 ? member.nameSize : int32_t(member.name.size())));
        out.WriteUInt32(member.attributes);
        out.Write(member.name.data(), static_cast<uint32_t>(member.name.size()));
        out.Write(member.data.data(), static_cast<uint32_t>(member.data.size()));
    }
    return WrittenBytes(out);
}

// An unpack-2.0 stream written symbol by symbol with fixed codes: every
// literal/length symbol 9 bits, every distance symbol 6, every repeat
// length 5 (or the lengths a test passes).
class StreamWriter
{
public:
    StreamWriter() : out(bytes)
    {
        std::memset(literal, 9, sizeof(literal));
        std::memset(distance, 6, sizeof(distance));
        std::memset(repeat, 5, sizeof(repeat));
    }

    // The LZ tables, with the header bits the decoder reads first.
    void Tables()
    {
        uint8_t table[rar20::kLzTableSize];
        std::memcpy(table, literal, sizeof(literal));
        std::memcpy(table + rar20::kLiteralSymbols, distance, sizeof(distance));
        std::memcpy(table + rar20::kLiteralSymbols + rar20::kDistanceSymbols, repeat, sizeof(repeat));
        RarTableEncoder::Table description{false, 1, table, rar20::kLzTableSize};
        RarTableEncoder::Write(out, description, previous);
        Codes();
    }

    // The codes of the current lengths without sending them: a solid member
    // goes on with the tables of the one before.
    void Codes()
    {
        RarHuffmanEncoder::BuildCodes(literal, rar20::kLiteralSymbols, literalCodes);
        RarHuffmanEncoder::BuildCodes(distance, rar20::kDistanceSymbols, distanceCodes);
        RarHuffmanEncoder::BuildCodes(repeat, rar20::kRepeatSymbols, repeatCodes);
    }

    void Symbol(uint32_t symbol) { out.Put(literalCodes[symbol], literal[symbol]); }
    void Literal(uint8_t byte) { Symbol(byte); }

    // A copy at a new distance; length 3 to 258 before the far-distance
    // bonus the decoder adds.
    void NewCopy(uint32_t length, uint32_t distanceValue)
    {
        uint32_t slot = 27;
        while (rar20::kLengthBase[slot] > length - 3)
            --slot;
        Symbol(rar20::kLengthFirst + slot);
        out.Put(length - 3 - rar20::kLengthBase[slot], rar20::kLengthBits[slot]);
        uint32_t d = 47;
        while (rar20::kDistanceBase[d] > distanceValue - 1)
            --d;
        out.Put(distanceCodes[d], distance[d]);
        out.Put(distanceValue - 1 - rar20::kDistanceBase[d], rar20::kDistanceBits[d]);
    }

    // The raw bits of a table header and bit-length code, for tables no
    // encoder would write.
    void Bits(uint32_t value, uint32_t count) { out.Put(value, count); }

    std::vector<uint8_t> Finish()
    {
        out.Finish();
        return bytes;
    }

    uint8_t literal[rar20::kLiteralSymbols];
    uint8_t distance[rar20::kDistanceSymbols];
    uint8_t repeat[rar20::kRepeatSymbols];

private:
    std::vector<uint8_t> bytes;
    RarBitOutput out;
    uint8_t previous[rar20::kMaxTableSize] = {};
    uint16_t literalCodes[rar20::kLiteralSymbols] = {};
    uint16_t distanceCodes[rar20::kDistanceSymbols] = {};
    uint16_t repeatCodes[rar20::kRepeatSymbols] = {};
};

} // namespace rartest
