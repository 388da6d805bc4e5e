#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

// The stand-in for a registry key under the current user that holds 32-bit
// DWORD values: one text file per key under the config folder, one
// "Name=number" line per value. Values are read once at Open and written
// back by Flush/Close. Lines this class cannot read, and values nobody set,
// are written back byte for byte so another program's data survives.
// Not thread-safe; one open store per key at a time.
class KeyStore
{
public:
    enum class OpenResult
    {
        Opened,   // the key existed; its values are loaded
        Created,  // the key did not exist and now does (empty): a first run
        Failed,   // unusable path, or folders/file that cannot be made or read
    };

    KeyStore() = default;
    KeyStore(const KeyStore&) = delete;
    KeyStore& operator=(const KeyStore&) = delete;

    // A store dropped while dirty writes itself back; errors go unreported,
    // so callers that care use Close.
    ~KeyStore();

    // "Software\Maker\Product" -> "<config>/Maker/Product.conf". Empty path
    // components (doubled backslashes) are skipped and a leading "Software"
    // is dropped. Empty when no component remains, a component is "." or
    // "..", or the config folder is unknown.
    static std::string PathForKey(const std::string& registryPath);

    // Opens the key's file and reads its values. Without createIfMissing a
    // missing key is Failed. Any unreadable line only makes that value
    // missing; it never fails the open. Opening an open store closes it first.
    OpenResult Open(const std::string& registryPath, bool createIfMissing, std::string* why);

    bool IsOpen() const { return open; }

    // The key's file; empty while closed.
    const std::string& FilePath() const { return filePath; }

    // False when the value is missing (or was unreadable in the file). Both
    // getters return the same 32 bits: a value written signed reads as its
    // two's complement through GetValue and the other way round.
    bool GetValue(const std::string& name, uint32_t& value) const;
    bool GetSigned(const std::string& name, int32_t& value) const;

    // Sets a value in memory; Flush or Close writes it. SetSigned values are
    // printed as signed decimal, SetValue values as unsigned. False (nothing
    // changes) when the store is closed or the name cannot be stored: empty,
    // containing '=', CR, LF or NUL, or with blanks at either end.
    bool SetValue(const std::string& name, uint32_t value);
    bool SetSigned(const std::string& name, int32_t value);

    // Writes the whole key atomically: a temporary file in the same folder,
    // fsync, then rename over the old file, so a crash leaves the old or the
    // new contents, never a mix. Lines keep their order: the file's order,
    // then new values in the order they were first set.
    bool Flush(std::string* why);

    // Flushes when anything changed, then closes. The store is closed even
    // when the flush fails (the changes are lost, as *why says).
    bool Close(std::string* why);

private:
    // One line of the file. Lines that never parsed, and values nobody set,
    // are written back as their raw text.
    struct Line
    {
        std::string raw;        // the line as read, without its LF
        std::string name;       // empty when the line has no usable name
        uint32_t value = 0;
        bool hasValue = false;  // a well-formed Name=number line
        bool changed = false;   // set since Open: printed from name and value
        bool isSigned = false;  // printed as signed decimal when changed
    };

    bool Set(const std::string& name, uint32_t value, bool isSigned);
    const Line* Find(const std::string& name) const;
    void Parse(const std::string& contents);
    std::string Serialize() const;
    void Reset();

    std::vector<Line> lines;
    std::string filePath;
    bool open = false;
    bool dirty = false;
};

}
