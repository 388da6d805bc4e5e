#pragma once
#include <cstdint>

#include "engine/files/Codec.h"

// Windows bitmaps, 8 and 24 bits per pixel. Rows come out bottom row first,
// as stored (a top-down file is turned to match); 24-bit pixels become red,
// green, blue; 8-bit pixels stay palette indices (the palette is skipped).
// Compressed (run-length) bitmaps are refused.
class BMPImageCodec : public Codec
{
public:
    BMPImageCodec();

    int32_t GetCodecType() override { return kImageCodec; }

    // *place is filled in place when it is an image, else receives a new
    // image owned by the caller. 0; 1 unreadable, unsupported or damaged
    // file (logged); 2 out of memory; 3 null argument.
    int32_t LoadImage(File* file, Image** place) override;

    // Formats 0 (24 bits) and 2 (8 bits, with a grey palette so that other
    // readers show the indices as grey levels). 0; 1 the file cannot be
    // written; 2 out of memory; 3 null argument, another format or no
    // pixels (logged).
    int32_t SaveImage(File* file, Image* image) override;

    // Post-initialisation: registers the built-in module of this codec.
    static int32_t RegisterModule();

    // The file header (14 bytes) and the information header (40 bytes).
    static constexpr uint32_t kHeadersSize = 54;
};
