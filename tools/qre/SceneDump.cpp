#include "tools/qre/SceneDump.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>

#include "engine/core/Log.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Stream.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/Directory.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/image/Image.h"
#include "tools/qre/ReasonCollector.h"
#include "tools/qre/TextConversion.h"

namespace
{

// Records the links in reading order; names are read after the load, when
// every record is complete.
class GraphRecorder : public StreamLinkListener
{
public:
    struct Entry
    {
        uint32_t depth;
        int32_t fileId;
        std::string typeName; // empty for a later reference
        // Held for the name: the stream frees what no slot took (a link of
        // another class than the slot wants) when the load ends.
        Ptr<Object> object;
    };

    void OnLinkRead(uint32_t depth, int32_t fileId, const String& typeName, Object* object) override
    {
        if (fileId == -1)
            return;
        entries.push_back({depth, fileId, std::string(typeName.CStr(), typeName.Length()),
                           typeName.IsEmpty() ? nullptr : object});
    }

    std::vector<Entry> entries;
};

// The directories a dump attaches to the file manager's root, detached and
// destroyed again when the dump ends.
class Mounts
{
public:
    Mounts()
    {
        if (Directory* root = FileManager::GetRoot())
            for (uint32_t i = 0; i < root->GetDirectoryCount(); ++i)
                before.push_back(root->GetDirectory(i));
    }

    ~Mounts()
    {
        Directory* root = FileManager::GetRoot();
        if (!root)
            return;
        std::vector<Directory*> added;
        for (uint32_t i = 0; i < root->GetDirectoryCount(); ++i)
            if (std::find(before.begin(), before.end(), root->GetDirectory(i)) == before.end())
                added.push_back(root->GetDirectory(i));
        // A directory detaches itself from its parent as it goes.
        for (Directory* directory : added)
            delete directory;
    }

    Mounts(const Mounts&) = delete;
    Mounts& operator=(const Mounts&) = delete;

    // The archive file at path, decoded and attached by the file manager.
    static int32_t Archive(const std::string& path)
    {
        File archive{String(path.c_str())};
        return FileManager::AttachArchive(&archive, String());
    }

    // The files of a folder on disk (not its subfolders) as a directory of
    // the root named by the folder's path, so that they open from there and
    // a search by name finds them. 0; 2 out of memory; 1 not attached.
    static int32_t Folder(const std::string& folder)
    {
        std::unique_ptr<Directory> directory(new (std::nothrow) Directory(String(folder.c_str())));
        if (!directory)
            return 2;
        std::error_code error;
        for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder, error))
        {
            if (!entry.is_regular_file(error))
                continue;
            std::unique_ptr<File> file(new (std::nothrow) File(String(entry.path().filename().c_str())));
            if (!file)
                return 2;
            if (directory->AddFile(file.get()) == 0)
                file.release();
        }
        Directory* root = FileManager::GetRoot();
        if (!root || root->AddDirectory(directory.get()) != 0)
            return 1;
        directory.release();
        return 0;
    }

private:
    std::vector<Directory*> before; // not owned: the root's directories before the dump
};

// The scene's object graph from the recorded links.
std::string PrintGraph(const GraphRecorder& recorder)
{
    std::string out;
    for (const GraphRecorder::Entry& entry : recorder.entries)
    {
        out.append(entry.depth * 2, ' ');
        if (entry.typeName.empty())
        {
            out += "-> " + std::to_string(entry.fileId) + "\n";
            continue;
        }
        const String& name = entry.object->GetName();
        out += std::to_string(entry.fileId) + " " + entry.typeName + " \"" + std::string(name.CStr(), name.Length()) +
               "\"\n";
    }
    return out;
}

// The pictures the recorded images name that no mounted folder or archive
// has, as " (missing picture NAME, ...)" in UTF-8; empty when there are none.
std::string MissingPictures(const GraphRecorder& recorder)
{
    std::string names;
    for (const GraphRecorder::Entry& entry : recorder.entries)
    {
        if (!entry.object || !entry.object->IsDerived(Image::TYPE))
            continue;
        const String& file = static_cast<const Image*>(entry.object.Get())->GetFileName();
        if (!file.IsEmpty() && !FileManager::FindFile(file))
            names += (names.empty() ? "" : ", ") + Cp1251ToUtf8(std::string(file.CStr(), file.Length()));
    }
    return names.empty() ? names : " (missing picture " + names + ")";
}

// Mounts, finds and loads; the steps of DumpScene while the log is collected.
int Dump(const std::string& path, const std::vector<std::string>& archives, DumpResult& result)
{
    // Codecs join the table on first request: the archives' and the
    // pictures' as the show asks for them, then the scene's.
    Codec* codec = nullptr;
    for (const char* name : {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec", "CUBEImageCodec", "RAR2FileCodec"})
        CodecManager::GetCodec(String(name), &codec);
    codec = nullptr;
    if (CodecManager::GetCodec(String("STRSceneCodec"), &codec) != 0 || !codec)
    {
        result.failure = "no scene codec";
        return 1;
    }
    Mounts mounts;
    for (const std::string& archive : archives)
    {
        if (Mounts::Archive(archive) != 0)
        {
            result.failure = archive + " does not mount";
            return 1;
        }
    }

    std::unique_ptr<File> disk;
    File* file = nullptr;
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error))
    {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (Mounts::Folder(folder.empty() ? std::string(".") : folder.string()) != 0)
        {
            result.failure = "the folder of " + path + " does not mount";
            return 1;
        }
        disk.reset(new (std::nothrow) File(String(path.c_str())));
        if (!disk)
        {
            result.failure = "out of memory";
            return 1;
        }
        file = disk.get();
    }
    else if (!(file = FileManager::FindFile(String(path.c_str()))))
    {
        result.failure = path + " is neither a file nor in the archives";
        return 1;
    }

    // Declared after the mounts: the objects it holds go before the mounts
    // come down.
    GraphRecorder recorder;
    file->SetLinkListener(&recorder);
    Object* root = nullptr;
    const int32_t loaded = codec->LoadScene(file, &root);
    file->SetLinkListener(nullptr);
    if (loaded != 0 || !root)
    {
        result.failure = path + " does not load" + MissingPictures(recorder);
        return 1;
    }
    Ptr<Object> hold = root;
    result.tree = PrintGraph(recorder);
    return 0;
}

} // namespace

int DumpScene(const std::string& path, const std::vector<std::string>& archives, DumpResult& result)
{
    Ptr<ReasonCollector> collector = new ReasonCollector(result.reasons);
    RegisterMessageOutput(collector.Get());
    const int outcome = Dump(path, archives, result);
    UnregisterMessageOutput(collector.Get());
    return outcome;
}
