#pragma once
#include <cstdint>

#include "engine/files/Codec.h"

// JPEG pictures through the IJG interface of libjpeg(-turbo). Decoding
// takes the file's bytes from memory in the library's default output colour
// space: three components become format 0 (red, green, blue), one becomes
// format 2 (grey); the rows come out bottom row first. Encoding writes
// quality 100 with baseline tables. Every library error is logged as
// "number text" and ends the call with a failure: the library never exits
// the process. Input that ends before the picture does is an error, not a
// picture padded with grey.
class JPGImageCodec : public Codec
{
public:
    JPGImageCodec();

    int32_t GetCodecType() override { return kImageCodec; }

    // *place is filled in place when it is an image, else receives a new
    // image owned by the caller. 0; 1 unreadable, damaged or unsupported
    // file (logged); 2 out of memory; 3 null argument.
    int32_t LoadImage(File* file, Image** place) override;

    // Format 0 as a three-component (RGB) JPEG and format 2 as a greyscale
    // one, rows from last to first. 0; 1 the library or the file failed
    // (logged); 2 out of memory; 3 null argument, another format or no
    // pixels (logged).
    int32_t SaveImage(File* file, Image* image) override;

    // Post-initialisation: registers the built-in module of this codec.
    static int32_t RegisterModule();

    static constexpr int32_t kQuality = 100;
};
