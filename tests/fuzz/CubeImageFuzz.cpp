// Feeds arbitrary bytes to the cube map codec as a picture file: whatever the
// bytes, decoding must fail cleanly or give an image whose block holds
// every byte its size promises.
#include "engine/codecs/image/CUBEImageCodec.h"
#include "fuzz/ImageFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CUBEImageCodec* codec = new CUBEImageCodec();
    return FuzzImageCodec(*codec, "fuzz.cube", data, size);
}
