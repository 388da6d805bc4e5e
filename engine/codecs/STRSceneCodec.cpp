#include "engine/codecs/STRSceneCodec.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"

namespace
{

constexpr int32_t VersionValue(int32_t major, int32_t minor, int32_t patch)
{
    return (major * 100 + minor) * 100 + patch;
}

int32_t CreateCodec(Codec** place)
{
    if (!place)
        return 3;
    *place = new (std::nothrow) STRSceneCodec();
    return *place ? 0 : 2;
}

} // namespace

STRSceneCodec::STRSceneCodec() : Codec(String("STRSceneCodec"))
{
    AddExtension(String("STR"));
    AddExtension(String("str"));
    AddExtension(String("Str"));
}

int32_t STRSceneCodec::LoadScene(File* file, Object** root)
{
    if (!file || !root)
        return 3;
    if (file->Open(File::kRead) != 0)
        return 1;

    // A header that cannot be read passes this check; the sticky state then
    // fails the root's link.
    int32_t major = kEngineVersionMajor, minor = kEngineVersionMinor, patch = kEngineVersionPatch;
    file->ReadInt32(major);
    file->ReadInt32(minor);
    file->ReadInt32(patch);
    if (static_cast<int64_t>(major) * 10000 + static_cast<int64_t>(minor) * 100 + patch <
        VersionValue(kEngineVersionMajor, kEngineVersionMinor, kEngineVersionPatch))
    {
        file->Close();
        return 1;
    }

    Object* loaded = nullptr;
    if (file->ReadLink(loaded) != 0 || !loaded)
    {
        // Closing frees every object the failed load made.
        file->Close();
        return 1;
    }
    // Hold the root while the close lets go of what the stream kept alive,
    // then hand it over with no reference of ours, as callers expect.
    loaded->AddRef();
    int32_t closed = file->Close();
    loaded->ReleaseKeepAlive();
    if (closed != 0)
    {
        // Nobody will take it: free it through a holder of our own.
        Ptr<Object> discard = loaded;
        return 1;
    }
    *root = loaded;
    return 0;
}

int32_t STRSceneCodec::SaveScene(File* file, Object* root)
{
    if (!file || !root)
        return 1;
    if (file->Open(File::kWrite) != 0)
        return 1;
    file->WriteInt32(kEngineVersionMajor);
    file->WriteInt32(kEngineVersionMinor);
    file->WriteInt32(kEngineVersionPatch);
    if (file->WriteLink(root) != 0)
    {
        file->Close();
        return 1;
    }
    return file->Close() == 0 ? 0 : 1;
}

int32_t STRSceneCodec::RegisterModule()
{
    return RegisterBuiltInCodecModule(String("STRSceneCodec"), &CreateCodec);
}
