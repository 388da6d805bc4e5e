#include "engine/files/Directory.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/Log.h"
#include "engine/files/File.h"

namespace
{

// Splits a path at the separator found by find (backslash first, "/" only
// when there is no backslash at all).
size_t FindSeparator(std::string_view path, bool last)
{
    size_t at = last ? path.rfind('\\') : path.find('\\');
    if (at == std::string_view::npos)
        at = last ? path.rfind('/') : path.find('/');
    return at;
}

} // namespace

Directory::Directory(const String& name, Directory* parent) : Named(name)
{
    if (parent && parent->AddDirectory(this) != 0)
        LogWarning("Невозможно подсоединить директорию [%s] к корневой директории [%s].", GetName().CStr(),
                   parent->GetName().CStr());
}

Directory::~Directory()
{
    if (!announced)
        LogInfo("Удаляется директория [%s].", GetName().CStr());
    if (parent && parent->RemoveDirectory(this) != 0)
        LogWarning("Невозможно отсоединить директорию [%s] от корневой директории [%s].", GetName().CStr(),
                   parent->GetName().CStr());
    parent = nullptr;

    // The tree goes in the order a recursive walk would log it (a
    // directory's line, its subdirectories, its files, its end line), but an
    // archive decides how deep it is, so the walk keeps its own stack. A
    // subdirectory is deleted only once it is empty: its destructor then has
    // nothing left but its end line.
    struct Frame
    {
        Directory* directory;
        uint32_t next; // the next subdirectory to take apart
    };
    std::vector<Frame> frames{{this, 0}};
    while (!frames.empty())
    {
        Directory* at = frames.back().directory;
        const uint32_t next = frames.back().next;
        if (next < at->directories.Count())
        {
            Directory* child = at->directories[next].get();
            ++frames.back().next;
            child->parent = nullptr;
            child->announced = true;
            LogInfo("Удаляется директория [%s].", child->GetName().CStr());
            frames.push_back({child, 0});
            continue;
        }
        for (std::unique_ptr<File>& file : at->files)
            file->directory = nullptr;
        at->files.Clear();
        at->directories.Clear();
        frames.pop_back();
        if (!frames.empty())
            frames.back().directory->directories[frames.back().next - 1].reset();
    }
    LogInfo("Директория удалена [%s].", GetName().CStr());
}

String Directory::GetFullPath()
{
    if (!basePathKnown)
    {
        // The parent's full path, built bottom-up without recursion: an
        // unnamed directory has an empty full path, so the walk ends at the
        // first unnamed ancestor, or earlier at one whose path is cached.
        std::vector<const Directory*> named;
        std::string_view cached;
        for (const Directory* at = parent; at && !at->GetName().IsEmpty(); at = at->parent)
        {
            named.push_back(at);
            if (at->basePathKnown)
            {
                cached = at->basePath.View();
                break;
            }
        }
        std::string path(cached);
        for (auto it = named.rbegin(); it != named.rend(); ++it)
        {
            path.append((*it)->GetName().View());
            path.push_back('\\');
        }
        basePath = String(std::string_view(path));
        basePathKnown = true;
    }
    if (GetName().IsEmpty())
        return String();
    std::string path(basePath.View());
    path.append(GetName().View());
    path.push_back('\\');
    return String(std::string_view(path));
}

Directory* Directory::FindDirectory(const String& path)
{
    Directory* current = this;
    std::string_view rest = path.View();
    for (;;)
    {
        if (rest.empty() || rest == "." || rest == current->GetName().View())
            return current;
        size_t at = FindSeparator(rest, false);
        std::string_view head = at == std::string_view::npos ? rest : rest.substr(0, at);
        rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);

        if (head.empty() || head == ".")
            continue;
        if (head == "..")
        {
            current = current->parent;
            if (!current)
                return nullptr;
            continue;
        }
        Directory* next = nullptr;
        for (const std::unique_ptr<Directory>& child : current->directories)
        {
            if (child->GetName().View() == head)
            {
                next = child.get();
                break;
            }
        }
        if (!next)
            return nullptr;
        current = next;
    }
}

File* Directory::FindFile(const String& path)
{
    std::string_view text = path.View();
    size_t at = FindSeparator(text, true);
    if (at != std::string_view::npos)
    {
        Directory* holder = FindDirectory(String(text.substr(0, at)));
        return holder ? holder->FindOwnFile(String(text.substr(at + 1))) : nullptr;
    }

    // Depth first, children in order: a stack with the first child on top.
    std::vector<Directory*> pending{this};
    while (!pending.empty())
    {
        Directory* current = pending.back();
        pending.pop_back();
        if (File* found = current->FindOwnFile(path))
            return found;
        for (uint32_t i = current->directories.Count(); i > 0; --i)
            pending.push_back(current->directories[i - 1].get());
    }
    return nullptr;
}

File* Directory::FindOwnFile(const String& name) const
{
    for (const std::unique_ptr<File>& file : files)
        if (file->GetName() == name)
            return file.get();
    return nullptr;
}

template <typename Child>
int32_t Directory::IndexOf(const Array<std::unique_ptr<Child>>& children, const Child* child)
{
    for (uint32_t i = 0; i < children.Count(); ++i)
        if (children[i].get() == child)
            return static_cast<int32_t>(i);
    return -1;
}

template <typename Child>
uint32_t Directory::InsertionIndex(const Array<std::unique_ptr<Child>>& children, const String& name)
{
    for (uint32_t i = 0; i < children.Count(); ++i)
    {
        const String& existing = children[i]->GetName();
        bool smaller = existing.IsEmpty() || name.IsEmpty()
                           ? existing.Length() < name.Length()
                           : static_cast<int8_t>(existing.CStr()[0]) < static_cast<int8_t>(name.CStr()[0]);
        if (smaller)
            return i;
    }
    return children.Count();
}

void Directory::ForgetBasePaths()
{
    std::vector<Directory*> pending{this};
    while (!pending.empty())
    {
        Directory* current = pending.back();
        pending.pop_back();
        current->basePath = String();
        current->basePathKnown = false;
        for (const std::unique_ptr<Directory>& child : current->directories)
            pending.push_back(child.get());
    }
}

int32_t Directory::AddDirectory(Directory* directory)
{
    if (!directory)
    {
        LogWarning("Указатель на присоединяемую директорию равен 0. Корневая директория [%s].", GetName().CStr());
        return 3;
    }
    if (IndexOf(directories, directory) >= 0)
    {
        LogWarning("Присоединяемая директория [%s] уже присоединена к директории [%s].", directory->GetName().CStr(),
                   GetName().CStr());
        return 3;
    }
    // A directory inside itself would be walked and deleted forever. Only
    // a directory with subdirectories can hold this one, which keeps adding
    // a new leaf to a deep tree cheap.
    bool cycle = directory == this;
    if (!directory->directories.IsEmpty())
        for (Directory* at = parent; at && !cycle; at = at->parent)
            cycle = at == directory;
    if (cycle)
    {
        LogWarning("Невозможно подсоединить директорию [%s] к корневой директории [%s].",
                   directory->GetName().CStr(), GetName().CStr());
        return 3;
    }
    // One owner at a time: a directory from elsewhere moves here.
    if (directory->parent)
        directory->parent->RemoveDirectory(directory);

    uint32_t index = InsertionIndex(directories, directory->GetName());
    std::unique_ptr<Directory> owned(directory);
    if (directories.Insert(index, std::move(owned)) != 0)
    {
        // Refused: the caller keeps the directory.
        owned.release();
        LogError("Недостаточно памяти для добавления директории [%s] к директории [%s].", directory->GetName().CStr(),
                 GetName().CStr());
        return 2;
    }
    if (index + 1 == directories.Count())
        LogInfo("Директория [%s] добавлена к директории [%s].", directory->GetName().CStr(), GetName().CStr());
    directory->parent = this;
    directory->ForgetBasePaths();
    return 0;
}

int32_t Directory::AddFile(File* file)
{
    if (!file)
    {
        LogWarning("Указатель на присоединяемый файл равен 0. Корневая директория [%s].", GetName().CStr());
        return 3;
    }
    if (IndexOf(files, file) >= 0)
    {
        LogWarning("Присоединяемый файл [%s] уже присоединена к директории [%s].", file->GetName().CStr(),
                   GetName().CStr());
        return 3;
    }
    if (file->directory)
        file->directory->RemoveFile(file);

    uint32_t index = InsertionIndex(files, file->GetName());
    std::unique_ptr<File> owned(file);
    if (files.Insert(index, std::move(owned)) != 0)
    {
        // Refused: the caller keeps the file.
        owned.release();
        LogError("Недостаточно памяти для добавления файла [%s] к директории [%s].", file->GetName().CStr(),
                 GetName().CStr());
        return 2;
    }
    if (index + 1 == files.Count())
        LogInfo("Файл [%s] добавлен к директории [%s].", file->GetName().CStr(), GetName().CStr());
    file->directory = this;
    return 0;
}

int32_t Directory::RemoveDirectory(Directory* directory)
{
    if (!directory)
    {
        LogWarning("Указатель на отсоединяемую директорию равен 0. Корневая директория [%s].", GetName().CStr());
        return 3;
    }
    int32_t index = IndexOf(directories, directory);
    if (index < 0)
    {
        LogWarning("Удаляемая директория [%s] не найдена в директории [%s].", directory->GetName().CStr(),
                   GetName().CStr());
        return 3;
    }
    directory->parent = nullptr;
    directory->ForgetBasePaths();
    LogInfo("Директория [%s] удалена из директории [%s].", directory->GetName().CStr(), GetName().CStr());
    directories[static_cast<uint32_t>(index)].release(); // back to the caller
    directories.RemoveAt(static_cast<uint32_t>(index));
    return 0;
}

int32_t Directory::RemoveFile(File* file)
{
    if (!file)
    {
        LogWarning("Указатель на отсоединяемый файл равен 0. Корневая директория [%s].", GetName().CStr());
        return 3;
    }
    int32_t index = IndexOf(files, file);
    if (index < 0)
    {
        LogWarning("Удаляемый файл [%s] не найден в директории [%s].", file->GetName().CStr(), GetName().CStr());
        return 3;
    }
    file->directory = nullptr;
    LogInfo("Файл [%s] удалён из директории [%s].", file->GetName().CStr(), GetName().CStr());
    files[static_cast<uint32_t>(index)].release(); // back to the caller
    files.RemoveAt(static_cast<uint32_t>(index));
    return 0;
}
