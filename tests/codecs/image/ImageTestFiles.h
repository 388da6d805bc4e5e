#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/File.h"
#include "engine/files/VirtualFile.h"
#include "engine/image/Image.h"
#include "support/Bytes.h"
#include "support/LogCapture.h"

// Helpers shared by the image codec tests: pictures are built byte by byte
// and decoded from memory, as the archives hand them over, or from disk.
namespace imagetest
{

// Decodes bytes as a file called name; result receives the codec's code.
inline Ptr<Image> Decode(Codec& codec, const char* name, const Bytes& bytes, int32_t* result = nullptr)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.empty() ? 1 : bytes.size()]);
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    VirtualFile file(String(name), std::move(copy), static_cast<uint32_t>(bytes.size()));
    Image* image = nullptr;
    int32_t code = codec.LoadImage(&file, &image);
    if (result)
        *result = code;
    return Ptr<Image>(image);
}

inline Ptr<Image> DecodePath(Codec& codec, const std::string& path)
{
    File file{String(path.c_str())};
    Image* image = nullptr;
    codec.LoadImage(&file, &image);
    return Ptr<Image>(image);
}

// An 18-byte Targa header.
inline Bytes TgaHeader(uint8_t type, uint32_t width, uint32_t height, uint8_t depth, uint8_t descriptor,
                       uint8_t idLength = 0)
{
    Stream out(0, 32);
    for (uint8_t byte : {idLength, uint8_t(0), type, uint8_t(0), uint8_t(0), uint8_t(0), uint8_t(0), uint8_t(0)})
        out.WriteInt8(static_cast<int8_t>(byte));
    out.WriteInt32(0); // origin
    out.WriteInt16(static_cast<int16_t>(width));
    out.WriteInt16(static_cast<int16_t>(height));
    out.WriteInt8(static_cast<int8_t>(depth));
    out.WriteInt8(static_cast<int8_t>(descriptor));
    return WrittenBytes(out);
}

// The 54 bytes of a bitmap's two headers; rows start right after them.
inline Bytes BmpHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t pixelBytes)
{
    Stream out(0, 64);
    out.WriteInt16(0x4D42);
    for (int32_t field : {int32_t(54 + pixelBytes), 0, 54, 40, width, height})
        out.WriteInt32(field);
    out.WriteInt16(1);
    out.WriteInt16(static_cast<int16_t>(bitCount));
    for (int i = 0; i < 6; ++i)
        out.WriteInt32(0);
    return WrittenBytes(out);
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
