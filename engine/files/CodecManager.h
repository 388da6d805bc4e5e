#pragma once
#include <cstdint>

#include "engine/core/String.h"

class Codec;
class File;

// The process-wide table of codecs by name. A codec is made on first request
// by the "CreateCodec" function of the module of the same name; files are
// matched to codecs by extension. Started and stopped by the engine start-up
// lists, after the module manager (codecs hold their modules).
class CodecManager
{
public:
    static int32_t Initialize();

    // Drops the table's references; a codec nothing else holds goes, and with
    // it its hold on its module.
    static int32_t Terminate();

    // Takes a reference. 3 null, 1 name taken (the first codec stays) or the
    // manager is stopped.
    static int32_t RegisterCodec(Codec* codec);

    // The registered codec of that name, else a new one from the module of
    // that name, registered. The table holds it; *place holds nothing.
    // 0; 1 creation or registration failed; 3 null place, no module, or no
    // "CreateCodec" in it.
    static int32_t GetCodec(const String& name, Codec** place);

    // The first codec in table order that accepts the file's extension; null
    // when none does.
    static Codec* FindCodecForFile(File* file);

    static uint32_t GetCodecCount();
};

// For the built-in codec modules (post-initialisation list): registers a
// module named name with "Initialize" and "Shutdown" (both 0) and
// "CreateCodec" = createCodec, which must construct the codec into *place
// (2 when it cannot allocate, else 0). 0; 1 when registration fails (the
// module is destroyed); 2 out of memory.
int32_t RegisterBuiltInCodecModule(const String& name, int32_t (*createCodec)(Codec** place));
