#pragma once
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/image/Image.h"
#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/File.h"
#include "engine/files/VirtualFile.h"
#include "support/LogCapture.h"

// Helpers shared by the image codec tests: pictures are built byte by byte
// and decoded from memory, as the archives hand them over.
namespace imagetest
{

using Bytes = std::vector<uint8_t>;

// Decodes bytes as a file called name; result receives the codec's code.
inline Ptr<Image> Decode(Codec& codec, const char* name, const Bytes& bytes, int32_t* result = nullptr)
{
    uint8_t* copy = new uint8_t[bytes.empty() ? 1 : bytes.size()];
    if (!bytes.empty())
        std::memcpy(copy, bytes.data(), bytes.size());
    VirtualFile file(String(name), copy, static_cast<uint32_t>(bytes.size()));
    Image* image = nullptr;
    int32_t code = codec.LoadImage(&file, &image);
    if (result)
        *result = code;
    return Ptr<Image>(image);
}

inline Ptr<Image> DecodePath(Codec& codec, const std::string& path, int32_t* result = nullptr)
{
    File file{String(path.c_str())};
    Image* image = nullptr;
    int32_t code = codec.LoadImage(&file, &image);
    if (result)
        *result = code;
    return Ptr<Image>(image);
}

inline Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void Put16(Bytes& bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

inline void Put32(Bytes& bytes, size_t at, uint32_t value)
{
    Put16(bytes, at, value);
    Put16(bytes, at + 2, value >> 16);
}

inline uint32_t Get32(const Bytes& bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (uint32_t(bytes[at + 3]) << 24);
}

// An 18-byte Targa header.
inline Bytes TgaHeader(uint8_t type, uint32_t width, uint32_t height, uint8_t depth, uint8_t descriptor,
                       uint8_t idLength = 0)
{
    Bytes header(18, 0);
    header[0] = idLength;
    header[2] = type;
    Put16(header, 12, width);
    Put16(header, 14, height);
    header[16] = depth;
    header[17] = descriptor;
    return header;
}

// The 54 bytes of a bitmap's two headers; rows start right after them.
inline Bytes BmpHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t pixelBytes)
{
    Bytes header(54, 0);
    Put16(header, 0, 0x4D42);
    Put32(header, 2, 54 + pixelBytes);
    Put32(header, 10, 54);
    Put32(header, 14, 40);
    Put32(header, 18, static_cast<uint32_t>(width));
    Put32(header, 22, static_cast<uint32_t>(height));
    Put16(header, 26, 1);
    Put16(header, 28, bitCount);
    return header;
}

inline Bytes Join(Bytes first, const Bytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

inline Bytes Pixels(const Image& image)
{
    return Bytes(image.GetData(), image.GetData() + image.GetDataSize());
}

// The warnings and errors of a capture, without the information lines
// (such as the decoded file's own deletion).
inline std::vector<std::string> Complaints(const LogCapture& log)
{
    std::vector<std::string> texts;
    for (const LogCapture::Line& line : log.Lines())
        if (line.level != kLogInfo)
            texts.push_back(line.text);
    return texts;
}

} // namespace imagetest
