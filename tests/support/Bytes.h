#pragma once
// Bytes for tests: the engine's own Stream is the one little-endian writer
// (WrittenBytes takes out what it holds), ByteStream reads bytes back the
// way an opened file does, and whole files go to and from disk in one call.
#include <cstdint>
#include <cstring>
#include <memory>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/core/Stream.h"

using Bytes = std::vector<uint8_t>;

// A stream that reads the given bytes, as an opened file does: no links
// known yet, so every linked record is read afresh.
class ByteStream : public Stream
{
public:
    explicit ByteStream(const Bytes& bytes) : Stream(0, 1024)
    {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.empty() ? 1 : bytes.size()]);
        if (!bytes.empty())
            std::memcpy(copy.get(), bytes.data(), bytes.size());
        AdoptBuffer(std::move(copy), static_cast<uint32_t>(bytes.size()));
    }
};

// The bytes written to a stream so far.
inline Bytes WrittenBytes(const Stream& stream)
{
    return Bytes(stream.GetBuffer(), stream.GetBuffer() + stream.GetPosition());
}

// A 32-bit field written over bytes already there, for damaging headers.
inline void Poke32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t Peek32(const Bytes& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// Links read back from bytes with every writer's ID replaced by its order
// of first appearance: two saves of the same graph then compare equal byte
// for byte, whatever IDs their objects had. Empty when the bytes do not
// load (the classes must be registered).
inline Bytes CanonicalLinks(const Bytes& bytes)
{
    struct Renumber : StreamLinkListener
    {
        void OnLinkRead(uint32_t, int32_t fileId, const String& typeName, Object*) override
        {
            if (fileId < 0)
                return;
            const size_t at = stream->GetPosition() - 4 - (typeName.IsEmpty() ? 0 : 4 + typeName.Length());
            Poke32(out, at, order.emplace(fileId, static_cast<int32_t>(order.size())).first->second);
        }
        ByteStream* stream = nullptr;
        Bytes out;
        std::unordered_map<int32_t, int32_t> order;
    } renumber;
    ByteStream stream(bytes);
    renumber.stream = &stream;
    renumber.out = bytes;
    stream.SetLinkListener(&renumber);
    Object* object = nullptr;
    while (stream.GetRemaining() > 0)
        if (stream.ReadLink(object) != 0)
            return Bytes();
    return renumber.out;
}

// The text's bytes, for data that is easier to write as a literal.
inline Bytes BytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

inline Bytes Join(Bytes first, const Bytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes ReadBytes(const std::string& path)
{
    return BytesOf(ReadText(path));
}

inline void WriteText(const std::string& path, std::string_view text)
{
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

inline void WriteBytes(const std::string& path, const Bytes& bytes)
{
    WriteText(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
