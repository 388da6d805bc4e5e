#pragma once
#include "engine/files/Codec.h"

// Scene files: the engine version (three 32-bit numbers), then the root
// object's link with the whole graph behind it. Files older than this engine
// (below 0.1.2) are refused; the same or later versions are read.
class STRSceneCodec : public Codec
{
public:
    STRSceneCodec();

    int32_t GetCodecType() override { return 1; }

    // 0 with the root in place; 1 failure; 3 a null argument. The root has
    // no reference yet: the caller takes it.
    int32_t LoadScene(File* file, Object** root) override;

    // 0 success; 1 failure, also for a null argument.
    int32_t SaveScene(File* file, Object* root) override;

    // Post-initialisation: registers the built-in module of this codec.
    static int32_t RegisterModule();
};
