#pragma once
#include "engine/files/Codec.h"

// The archive codec: mounts a RAR archive (members of unpack version 2.0,
// see RarArchiveReader) as a directory tree of in-memory files. Every
// member is unpacked at load; a member that fails becomes a file with no
// content (opening it fails) and the rest of the archive still mounts.
class RAR2FileCodec : public Codec
{
public:
    RAR2FileCodec();

    int32_t GetCodecType() override { return kArchiveCodec; }

    // *place receives a new directory named after the archive file, without
    // parent. 0; 3 a null argument; 1 the file cannot be opened or closed,
    // or is no archive; 2 out of memory.
    int32_t LoadArchive(File* archive, std::unique_ptr<Directory>* place, const String& password) override;

    // Writing archives is the packer's job (qre pack): this only creates an
    // empty file. 0; 1 a null argument or the file cannot be written.
    int32_t SaveArchive(File* file, Directory* directory) override;

    // Post-initialisation: registers the built-in module of this codec.
    static int32_t RegisterModule();
};
