#pragma once
#include <cstdint>
#include <cstdio>

#include "engine/core/Named.h"
#include "engine/core/Stream.h"
#include "engine/core/String.h"

class Directory;

// A file read or written through a stream: Open reads the whole content into
// the stream buffer, Close writes what was written back in one call. Reading
// and writing in between are memory copies. The name is the file's own name
// (a disk file with no directory may carry a whole path in it).
class File : public Stream, public Named
{
public:
    // What Open does with the file; any other value opens like kRead.
    enum Mode : int32_t
    {
        kRead = 0,
        kWrite = 1,   // truncates
        kAppend = 2,
    };

    explicit File(const String& name = String());

    // Closes when open (even when the last write fails, so nothing leaks) and
    // detaches from the directory.
    ~File() override;

    // raw bytes: only in the direction the file was opened for, else logged,
    // 1 and the stream failed for good, so the typed calls after it fail too
    uint32_t GetSize() override;  // open to read: length; to write: bytes so far; closed: opens to measure
    int32_t Write(const void* bytes, uint32_t count) override;
    int32_t Read(void* bytes, uint32_t count) override;

    // Closes first when open (a failure is logged and the opening goes on).
    // 0; 1 when the file cannot be opened or is larger than a stream can
    // hold (4 GiB - 1); 2 out of memory.
    virtual int32_t Open(int32_t openMode);

    // 0 when closed or not open. A short write is logged and gives 1 with the
    // file still open.
    virtual int32_t Close();

    bool IsOpen() const { return open; }
    int32_t GetMode() const { return mode; }

    // The directory's full path and the name; the bare name without one.
    String GetPath() const;

    // GetPath with the engine's backslashes turned into "/", for the C
    // library and the dynamic loader.
    String GetSystemPath() const;

    // The text after the last "." of the name; empty without one.
    String GetExtension() const;

    // Whether GetSystemPath names the content on disk; a member of a mounted
    // archive has no path the C library or the dynamic loader could open.
    virtual bool IsOnDisk() const { return true; }

    // Back pointer: the directory owns the file. Set by Directory.
    Directory* GetDirectory() const { return directory; }

protected:
    // For files whose content is not on disk: the open flag without a handle.
    void MarkOpen(int32_t openMode) { mode = openMode; open = true; }
    void MarkClosed() { open = false; }

    bool IsOpenForReading() const { return open && mode != kWrite && mode != kAppend; }

private:
    friend class Directory;

    // Closes the handle and drops the buffer whatever the last write did.
    void ForceClose();

    int32_t mode = kRead;
    FILE* handle = nullptr;       // owned; set while a disk file is open
    bool open = false;            // also set for files without a handle
    Directory* directory = nullptr; // back pointer: the directory owns the file
};
