// Feeds arbitrary bytes to the bitmap codec as a picture file: whatever the
// bytes, decoding must fail cleanly or give an image whose block holds
// every byte its size promises.
#include "engine/codecs/image/BMPImageCodec.h"
#include "fuzz/ImageFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static BMPImageCodec* codec = new BMPImageCodec();
    return FuzzImageCodec(*codec, "fuzz.bmp", data, size);
}
