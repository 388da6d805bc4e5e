#pragma once
// Feeds arbitrary bytes to one image codec as a picture file: whatever the
// bytes, decoding must fail cleanly or give an image whose block holds every
// byte its size promises.
#include <cstdint>
#include <cstring>

#include "engine/image/Image.h"
#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/VirtualFile.h"

inline int FuzzImageCodec(Codec& codec, const char* fileName, const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    uint8_t* copy = new uint8_t[size ? size : 1];
    std::memcpy(copy, data, size);
    VirtualFile file(String(fileName), copy, static_cast<uint32_t>(size));
    Image* image = nullptr;
    if (codec.LoadImage(&file, &image) == 0)
    {
        Ptr<Image> hold = image;
        // Reading the whole block lets the sanitizer catch one shorter than
        // GetDataSize.
        uint8_t sum = 0;
        for (uint64_t i = 0; i < hold->GetDataSize(); ++i)
            sum ^= hold->GetData()[i];
        volatile uint8_t sink = sum;
        (void)sink;
    }
    return 0;
}
