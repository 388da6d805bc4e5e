#pragma once
#include <cstdint>

#include "engine/files/Codec.h"

// Cube maps: six Targa pictures one after another in one file, decoded as
// TGAImageCodec decodes one (same byte exchange and row order) into a
// VolumeImage of depth 6 whose faces follow each other in file order. The
// faces must share their size and pixel depth.
class CUBEImageCodec : public Codec
{
public:
    CUBEImageCodec();

    int32_t GetCodecType() override { return kImageCodec; }

    // *place is filled in place when it is a VolumeImage, else (null)
    // receives a new VolumeImage owned by the caller. The first face's
    // header decides the size of all six, which is checked against the
    // image limit and the file before any face is decoded. 0; 1
    // unreadable, damaged, mismatched or too large faces (logged); 2 out of
    // memory; 3 null argument or a flat image in *place.
    int32_t LoadImage(File* file, Image** place) override;

    // A VolumeImage of depth 6 in format 0 or 1 only: each face as the
    // Targa codec saves a picture. 0; 1 the file cannot be written; 2 out
    // of memory; 3 anything else (logged).
    int32_t SaveImage(File* file, Image* image) override;

    // Post-initialisation: registers the built-in module of this codec.
    static int32_t RegisterModule();

    static constexpr uint32_t kFaceCount = 6;
};
