#include "engine/files/Codec.h"

#include "engine/core/Log.h"
#include "engine/files/File.h"

Codec::Codec(const String& name) : Named(name)
{
}

Codec::~Codec() = default;

int32_t Codec::GetCodecType()
{
    return kNoCodecType;
}

int32_t Codec::LoadImage(File*, Image**)
{
    return 1;
}

int32_t Codec::SaveImage(File*, Image*)
{
    return 1;
}

int32_t Codec::LoadScene(File*, Object**)
{
    return 1;
}

int32_t Codec::SaveScene(File*, Object*)
{
    return 1;
}

int32_t Codec::LoadArchive(File*, std::unique_ptr<Directory>*, const String&)
{
    return 1;
}

int32_t Codec::SaveArchive(File*, Directory*)
{
    return 1;
}

bool Codec::AcceptsFile(File* file)
{
    if (!file)
    {
        LogWarning("Указатель на файл равен 0 при проверке кодеком [%s].", GetName().CStr());
        return false;
    }
    String extension = file->GetExtension();
    return extensions.Find(extension) >= 0;
}
