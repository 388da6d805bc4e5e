#include "engine/codecs/rar/RAR2FileCodec.h"

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "engine/codecs/rar/RarArchiveReader.h"
#include "engine/core/Log.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/File.h"
#include "engine/files/VirtualFile.h"

namespace
{

int32_t CreateCodec(Codec** place)
{
    if (!place)
        return 3;
    *place = new (std::nothrow) RAR2FileCodec();
    return *place ? 0 : 2;
}

// The child directory of that exact name, made when missing. Null only when
// memory is missing.
Directory* ChildDirectory(Directory* parent, const String& name)
{
    for (uint32_t i = 0; i < parent->GetDirectoryCount(); ++i)
        if (parent->GetDirectory(i)->GetName() == name)
            return parent->GetDirectory(i);
    std::unique_ptr<Directory> child(new (std::nothrow) Directory(name));
    if (!child || parent->AddDirectory(child.get()) != 0)
        return nullptr;
    return child.release(); // the parent owns it now
}

// Splits a stored path into its components. Empty, "." and ".." components
// are dropped: a member may only land inside the archive's own directory,
// and those names mean something else to Directory's path lookups.
std::vector<String> PathComponents(const String& path)
{
    std::vector<String> components;
    const char* text = path.CStr();
    uint32_t start = 0;
    for (uint32_t i = 0; i <= path.Length(); ++i)
    {
        if (i < path.Length() && text[i] != '\\' && text[i] != '/')
            continue;
        uint32_t length = i - start;
        bool dots = (length == 1 && text[start] == '.') || (length == 2 && text[start] == '.' && text[start + 1] == '.');
        if (length > 0 && !dots)
            components.emplace_back(text + start, length);
        start = i + 1;
    }
    return components;
}

} // namespace

RAR2FileCodec::RAR2FileCodec() : Codec(String("RAR2FileCodec"))
{
    AddExtension(String("RAR2"));
    AddExtension(String("rar2"));
    AddExtension(String("Rar2"));
}

int32_t RAR2FileCodec::LoadArchive(File* archive, std::unique_ptr<Directory>* place, const String& password)
{
    if (!archive || !place)
        return 3;
    if (int32_t opened = archive->Open(File::kRead); opened != 0)
        return opened == 2 ? 2 : 1;

    // The open file's buffer is already the archive's bytes in memory.
    std::vector<RarArchiveReader::Extracted> members;
    int32_t listed = RarArchiveReader::ExtractAll(archive->GetBuffer(), archive->GetSize(), password, members);
    std::unique_ptr<Directory> root(listed == 0 ? new (std::nothrow) Directory(archive->GetName()) : nullptr);

    int32_t result = listed != 0 ? listed : (root ? 0 : 2);
    for (RarArchiveReader::Extracted& member : members)
    {
        // Each member's bytes go with the member unless a file takes them.
        std::unique_ptr<uint8_t[]> bytes = std::move(member.bytes);
        if (result != 0)
            continue;
        std::vector<String> components = PathComponents(member.record.name);
        if (components.empty())
        {
            LogWarning("Файл архива [%s] с пустым именем пропущен.", archive->GetName().CStr());
            continue;
        }
        // Directories a member names are made when no entry made them
        // before it.
        Directory* holder = root.get();
        size_t directoryCount = member.record.IsDirectory() ? components.size() : components.size() - 1;
        for (size_t i = 0; i < directoryCount && holder; ++i)
            holder = ChildDirectory(holder, components[i]);
        if (!holder)
        {
            result = 2;
            continue;
        }
        if (member.record.IsDirectory())
            continue;

        std::unique_ptr<VirtualFile> file(
            new (std::nothrow) VirtualFile(components.back(), std::move(bytes), member.length, GetModule()));
        if (!file)
        {
            result = 2;
            continue;
        }
        if (holder->AddFile(file.get()) == 0)
            file.release(); // the directory owns it now
    }

    if (archive->Close() != 0 && result == 0)
        result = 1;
    if (result != 0)
    {
        if (result == 2)
            LogError("Недостаточно памяти для загрузки архива [%s].", archive->GetName().CStr());
        root.reset();
        return result;
    }
    *place = std::move(root);
    return 0;
}

int32_t RAR2FileCodec::SaveArchive(File* file, Directory* directory)
{
    if (!file || !directory)
        return 1;
    if (file->Open(File::kWrite) != 0)
        return 1;
    return file->Close() == 0 ? 0 : 1;
}

int32_t RAR2FileCodec::RegisterModule()
{
    return RegisterBuiltInCodecModule(String("RAR2FileCodec"), &CreateCodec);
}
