// Feeds arbitrary bytes to the Targa codec as a picture file: whatever the
// bytes, decoding must fail cleanly or give an image whose block holds
// every byte its size promises.
#include "engine/codecs/image/TGAImageCodec.h"
#include "fuzz/ImageFuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TGAImageCodec* codec = new TGAImageCodec();
    return FuzzImageCodec(*codec, "fuzz.tga", data, size);
}
