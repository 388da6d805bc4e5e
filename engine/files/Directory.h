#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Array.h"
#include "engine/core/Named.h"
#include "engine/core/String.h"

class File;

// A node of the virtual file system: named subdirectories and files, both
// owned. Not an Object: a directory belongs to its parent, or to whoever
// made it when it has none. Paths separate directories with a backslash; a
// "/" is accepted where a path has no backslash at all.
//
// Children are kept in the engine's own order (by the first byte of the
// name, see AddDirectory), which searches follow, so a bare file name that
// occurs twice resolves to the same file every run.
class Directory : public Named
{
public:
    // With a parent, the directory adds itself there (a refusal is logged and
    // the directory stays on its own).
    explicit Directory(const String& name = String(), Directory* parent = nullptr);

    // Detaches from the parent, then destroys every subdirectory and file,
    // logged as a recursive walk would log them, however deep the tree (no
    // recursion on the call stack).
    ~Directory() override;

    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // paths

    // Empty for an unnamed directory; else the parent chain's names, each
    // followed by a backslash ("Textures\Trees\").
    String GetFullPath();

    // An empty path, ".", or this directory's own name is this directory;
    // "..", ".", and empty components (a leading separator) step through the
    // tree. Null when some component does not exist.
    Directory* FindDirectory(const String& path);

    // A path with a directory part names the file in that directory; a bare
    // name is looked for here, then in each subdirectory in order, depth
    // first. Null when there is none.
    File* FindFile(const String& path);

    // children

    // Takes ownership. 3 for null, for a child already here, or for a
    // directory that holds this one (a cycle); a child of another directory
    // is moved. A new child goes before the first child whose name starts
    // with a smaller byte (signed; an empty name is the smallest), so equal
    // first bytes keep insertion order. Only an append is logged. 2 (logged)
    // when the entry finds no memory; the caller keeps the child then.
    int32_t AddDirectory(Directory* directory);
    int32_t AddFile(File* file);

    // Gives ownership back to the caller; 3 when null or not a child here.
    int32_t RemoveDirectory(Directory* directory);
    int32_t RemoveFile(File* file);

    Directory* GetParent() const { return parent; }
    uint32_t GetDirectoryCount() const { return directories.Count(); }
    uint32_t GetFileCount() const { return files.Count(); }
    Directory* GetDirectory(uint32_t index) const
    {
        return index < directories.Count() ? directories[index].get() : nullptr;
    }
    File* GetFile(uint32_t index) const { return index < files.Count() ? files[index].get() : nullptr; }

private:
    // Index at which a child named name goes in the order described above.
    template <typename Child>
    static uint32_t InsertionIndex(const Array<std::unique_ptr<Child>>& children, const String& name);

    // Index of child among children, or -1.
    template <typename Child>
    static int32_t IndexOf(const Array<std::unique_ptr<Child>>& children, const Child* child);

    // The cached base path of this directory and of everything below it is
    // stale once the directory moves.
    void ForgetBasePaths();

    // The file exactly named name among this directory's own files.
    File* FindOwnFile(const String& name) const;

    String basePath;              // the parent's full path, once asked for
    bool basePathKnown = false;
    Directory* parent = nullptr;  // back pointer: the parent owns this directory
    bool announced = false;       // its parent's walk logged its first line already
    Array<std::unique_ptr<Directory>> directories{1, 1};
    Array<std::unique_ptr<File>> files{1, 1};
};
