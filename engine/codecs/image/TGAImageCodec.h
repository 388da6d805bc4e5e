#pragma once
#include <cstdint>
#include <memory>

#include "engine/files/Codec.h"

// Targa pictures: uncompressed (type 2) and run-length (type 10), 24 and 32
// bits per pixel. A picture with the bottom-left origin (the usual one)
// comes out with its first and third byte of every pixel exchanged (red,
// green, blue order) and its bottom row first, as stored; with the top-left
// origin bit both stay as stored (blue, green, red; top row first). Saving
// writes the rows from last to first with the bytes exchanged and the
// top-left bit set, so a standard reader shows what the engine shows.
class TGAImageCodec : public Codec
{
public:
    TGAImageCodec();

    int32_t GetCodecType() override { return kImageCodec; }

    // *place is filled in place when it is an image, else receives a new
    // image owned by the caller. 0; 1 unreadable, unsupported or damaged
    // file (logged); 2 out of memory; 3 null argument.
    int32_t LoadImage(File* file, Image** place) override;

    // Formats 0 and 1 only. 0; 1 the file cannot be written; 2 out of
    // memory; 3 null argument, another format, no pixels or a side beyond
    // 65535 (logged).
    int32_t SaveImage(File* file, Image* image) override;

    // Post-initialisation: registers the built-in module of this codec.
    static int32_t RegisterModule();

    // What one picture's header says, for the cube codec that reads six in
    // a row and must know their size before it decodes any.
    struct Header
    {
        uint32_t width = 0;
        uint32_t height = 0;
        int32_t format = 0;         // Image::kPixel24 or kPixel32
        uint32_t bytesPerPixel = 0; // 3 or 4
        uint8_t type = 0;           // uncompressed or run-length
        bool topLeft = false;       // rows and bytes stay as stored

        uint64_t PixelCount() const { return static_cast<uint64_t>(width) * height; }
        uint64_t Size() const { return PixelCount() * bytesPerPixel; }
    };

    // Reads the 18-byte header at the file's position (open for reading)
    // and skips the ID field after it. 0; 1 a short header, another depth
    // or another type (logged).
    static int32_t ReadHeader(File& file, Header& header);

    // Whether what is left of the file could encode count pictures of the
    // header's size (a run packet gives 128 pixels at best), so that a
    // small damaged file cannot make a large allocation. Logs nothing.
    static bool Fits(File& file, const Header& header, uint64_t count);

    // Reads the pixels that follow a header into pixels (header.Size()
    // bytes) and exchanges the bytes when the origin is bottom-left. 0; 1
    // data ended or a run packet would write past the picture (one line).
    static int32_t ReadPixels(File& file, const Header& header, uint8_t* pixels);

    // The bytes SaveImage writes for one picture: the 18-byte header, then
    // the rows last to first with the first and third bytes exchanged. out
    // holds kHeaderSize + width x height x bytesPerPixel bytes.
    static void WritePicture(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t bytesPerPixel,
                             uint8_t* out);

    static constexpr uint32_t kHeaderSize = 18;

    // Exchanges the first and third byte of each of count pixels.
    static void SwapRedBlue(uint8_t* pixels, uint64_t count, uint32_t bytesPerPixel);
};
