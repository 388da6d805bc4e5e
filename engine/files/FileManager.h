#pragma once
#include <cstdint>

#include "engine/core/String.h"

class Directory;
class File;

// The process-wide virtual file system: a root directory (no name) to which
// every mounted archive is attached as a directory of unpacked members. The
// archives travel inside the executable as "MEDIADATA" resources. Started
// and stopped by the engine start-up lists; stopping destroys every mounted
// file.
class FileManager
{
public:
    static int32_t Initialize();
    static int32_t Terminate();

    // Decodes the archive with the codec its extension selects and attaches
    // the resulting directory to the root. The archive file stays the
    // caller's. 0; 3 null file or no codec; the codec's code when decoding
    // fails; 1 when the directory cannot be attached (it is destroyed).
    // A failure leaves every archive mounted before in place.
    static int32_t AttachArchive(File* archive, const String& password);

    // Mounts resource number as an archive named name (its extension picks
    // the codec). The resource bytes are only borrowed. 0, or the code of
    // the failing step.
    static int32_t LoadArchiveResource(int32_t number, const String& name, const String& password);

    // The file at path in the first mounted archive that has it (a bare name
    // is searched for throughout each archive); the root's own files are not
    // searched. Null when none has it or the manager is stopped.
    static File* FindFile(const String& path);

    // The bytes of resource "MEDIADATA" number, which belong to the executable
    // and are never freed. 0; 1 no such resource or too large; 3 null place.
    static int32_t GetResourceData(int32_t number, const uint8_t** data, uint32_t* size);

    // Null while the manager is stopped.
    static Directory* GetRoot();
};
