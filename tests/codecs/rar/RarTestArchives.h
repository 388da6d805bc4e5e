#pragma once
// Helpers for the archive tests: the real archives beside the repository,
// archives built header by header (fields no packer would write), and
// unpack-2.0 streams built symbol by symbol.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/codecs/rar/Rar20Format.h"
#include "engine/codecs/rar/writer/RarBitOutput.h"
#include "engine/codecs/rar/RarCrc32.h"
#include "engine/codecs/rar/writer/RarHuffmanEncoder.h"
#include "engine/codecs/rar/writer/RarTableEncoder.h"

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

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// One file header with every field settable.
struct RawMember
{
    std::string name;
    std::vector<uint8_t> data;      // the packed bytes
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
    member.data = Bytes(content);
    member.unpackedSize = static_cast<uint32_t>(content.size());
    member.crc = RarCrc32::Compute(content.data(), content.size());
    return member;
}

inline void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

inline std::vector<uint8_t> BuildArchive(const std::vector<RawMember>& members, uint16_t mainFlags = 0)
{
    std::vector<uint8_t> out = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    Put16(out, 0);
    out.push_back(0x73);
    Put16(out, mainFlags);
    Put16(out, 13);
    Put16(out, 0);
    Put32(out, 0);
    for (const RawMember& member : members)
    {
        uint32_t nameSize = member.nameSize >= 0 ? uint32_t(member.nameSize) : uint32_t(member.name.size());
        Put16(out, 0);
        out.push_back(0x74);
        Put16(out, member.flags);
        Put16(out, member.headerSize >= 0 ? uint32_t(member.headerSize) : 32 + uint32_t(member.name.size()));
        Put32(out, member.packedSize >= 0 ? uint32_t(member.packedSize) : uint32_t(member.data.size()));
        Put32(out, member.unpackedSize);
        out.push_back(2);
        Put32(out, member.crc);
        Put32(out, 0x5A210000);
        out.push_back(member.version);
        out.push_back(member.method);
        Put16(out, nameSize);
        Put32(out, member.attributes);
        out.insert(out.end(), member.name.begin(), member.name.end());
        out.insert(out.end(), member.data.begin(), member.data.end());
    }
    return out;
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
        RarHuffmanEncoder::BuildCodes(literal, rar20::kLiteralSymbols, literalCodes);
        RarHuffmanEncoder::BuildCodes(distance, rar20::kDistanceSymbols, distanceCodes);
        RarHuffmanEncoder::BuildCodes(repeat, rar20::kRepeatSymbols, repeatCodes);
    }

    // Audio tables: channel c codes exactly the deltas in its list (and
    // the table switch), each with the same length.
    void AudioTables(const std::vector<std::vector<uint8_t>>& deltasPerChannel)
    {
        uint32_t channels = static_cast<uint32_t>(deltasPerChannel.size());
        uint8_t table[rar20::kMaxTableSize] = {};
        for (uint32_t c = 0; c < channels; ++c)
        {
            uint32_t frequency[rar20::kAudioSymbols] = {};
            for (uint8_t delta : deltasPerChannel[c])
                frequency[delta] = 1;
            frequency[rar20::kAudioNewTables] = 1;
            RarHuffmanEncoder::BuildLengths(frequency, rar20::kAudioSymbols, table + c * rar20::kAudioSymbols);
            std::memcpy(audio[c], table + c * rar20::kAudioSymbols, rar20::kAudioSymbols);
            RarHuffmanEncoder::BuildCodes(audio[c], rar20::kAudioSymbols, audioCodes[c]);
        }
        RarTableEncoder::Table description{true, channels, table, rar20::kAudioSymbols * channels};
        RarTableEncoder::Write(out, description, previous);
    }

    void Audio(uint32_t channel, uint8_t delta) { out.Put(audioCodes[channel][delta], audio[channel][delta]); }

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
    uint8_t audio[4][rar20::kAudioSymbols] = {};
    uint16_t audioCodes[4][rar20::kAudioSymbols] = {};
};

} // namespace rartest
