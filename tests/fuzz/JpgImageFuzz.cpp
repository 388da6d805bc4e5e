// Feeds arbitrary bytes to the JPEG codec as a picture file: whatever the
// bytes, decoding must fail cleanly or give an image whose block holds
// every byte its size promises.
#include "engine/codecs/image/JPGImageCodec.h"
#include "fuzz/ImageFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static JPGImageCodec* codec = new JPGImageCodec();
    return FuzzImageCodec(*codec, "fuzz.jpg", data, size);
}
