#include "platform/KeyStore.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Paths.h"

namespace platform
{

namespace
{

// A key holds a few dozen short lines. Longer lines are not ours to parse,
// and a file this large is not a key at all (refused rather than truncated,
// so a rewrite can never cut someone's file short).
constexpr size_t kMaxLineLength = 1024;
constexpr size_t kMaxNameLength = 255;
constexpr off_t kMaxFileSize = 16 << 20;

void SetReason(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
}

std::string SystemReason(const std::string& action, const std::string& path, int error)
{
    return action + " '" + path + "': " + std::strerror(error);
}

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Signed and unsigned decimal within 32 bits; a sign, then digits, nothing
// else. Both "-1" and "4294967295" are the same 32 bits.
bool ParseNumber(const std::string& text, uint32_t& value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i)
    {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
        if (magnitude > 0xFFFFFFFFull)
            return false;
    }
    if (negative)
    {
        if (magnitude > 0x80000000ull)
            return false;
        value = static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude));
    }
    else
    {
        value = static_cast<uint32_t>(magnitude);
    }
    return true;
}

bool IsStorableName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    if (name.find_first_of(std::string("=\r\n\0", 4)) != std::string::npos)
        return false;
    return name.front() != ' ' && name.front() != '\t' && name.back() != ' ' && name.back() != '\t';
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size())
    {
        const ssize_t written = write(fd, data.data() + done, data.size() - done);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Makes a rename or a creation durable; a folder that refuses fsync costs
// durability only, never correctness, so errors are ignored.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Reads an open regular file whole; false with errno-style reason on failure.
bool ReadWhole(int fd, const std::string& path, std::string& contents, std::string* why)
{
    struct stat info{};
    if (fstat(fd, &info) != 0)
    {
        SetReason(why, SystemReason("cannot inspect", path, errno));
        return false;
    }
    if (!S_ISREG(info.st_mode))
    {
        SetReason(why, "'" + path + "' is not a regular file");
        return false;
    }
    if (info.st_size > kMaxFileSize)
    {
        SetReason(why, "'" + path + "' is too large to be a settings key");
        return false;
    }
    contents.clear();
    char buffer[4096];
    for (;;)
    {
        const ssize_t count = read(fd, buffer, sizeof(buffer));
        if (count == 0)
            return true;
        if (count < 0)
        {
            if (errno == EINTR)
                continue;
            SetReason(why, SystemReason("cannot read", path, errno));
            return false;
        }
        contents.append(buffer, static_cast<size_t>(count));
        if (contents.size() > static_cast<size_t>(kMaxFileSize))
        {
            SetReason(why, "'" + path + "' is too large to be a settings key");
            return false;
        }
    }
}

}

KeyStore::~KeyStore()
{
    if (open && dirty)
        Flush(nullptr);
}

std::string KeyStore::PathForKey(const std::string& registryPath)
{
    std::vector<std::string> components;
    size_t start = 0;
    while (start <= registryPath.size())
    {
        size_t end = registryPath.find('\\', start);
        if (end == std::string::npos)
            end = registryPath.size();
        if (end > start)
            components.push_back(registryPath.substr(start, end - start));
        start = end + 1;
    }
    if (!components.empty() && components.front() == "Software")
        components.erase(components.begin());
    if (components.empty())
        return {};
    // A component is a file name here: it must not climb out of the config
    // folder or smuggle in a folder separator of its own.
    for (const std::string& component : components)
        if (component == "." || component == ".." || component.find('/') != std::string::npos ||
            component.find('\0') != std::string::npos)
            return {};

    std::string path = ConfigDirectory();
    if (path.empty())
        return {};
    if (path == "/")
        path.clear();
    for (const std::string& component : components)
        path += "/" + component;
    return path + ".conf";
}

KeyStore::OpenResult KeyStore::Open(const std::string& registryPath, bool createIfMissing, std::string* why)
{
    if (open && !Close(why))
        return OpenResult::Failed;

    const std::string path = PathForKey(registryPath);
    if (path.empty())
    {
        SetReason(why, "registry path '" + registryPath + "' names no usable key (or the config folder is unknown)");
        return OpenResult::Failed;
    }

    // Never waits on the open: a FIFO (or a device) in the key's place would
    // hold the start until someone wrote to it; ReadWhole refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    bool created = false;
    if (fd < 0 && errno == ENOENT)
    {
        if (!createIfMissing)
        {
            SetReason(why, "key file '" + path + "' does not exist");
            return OpenResult::Failed;
        }
        const std::string folder = FolderOf(path);
        if (!MakeDirectories(folder, why))
            return OpenResult::Failed;
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
        {
            created = true;
            close(fd);
            SyncFolder(folder);
        }
        else if (errno == EEXIST)
        {
            // Someone made it between our two looks; it is an existing key.
            fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        }
        else
        {
            SetReason(why, SystemReason("cannot create key file", path, errno));
            return OpenResult::Failed;
        }
    }

    std::string contents;
    if (!created)
    {
        if (fd < 0)
        {
            SetReason(why, SystemReason("cannot open key file", path, errno));
            return OpenResult::Failed;
        }
        const bool read = ReadWhole(fd, path, contents, why);
        close(fd);
        if (!read)
            return OpenResult::Failed;
    }

    Reset();
    Parse(contents);
    filePath = path;
    open = true;
    return created ? OpenResult::Created : OpenResult::Opened;
}

const KeyStore::Line* KeyStore::Find(const std::string& name) const
{
    // The last good line wins, as it would for anyone reading top to bottom.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (it->hasValue && it->name == name)
            return &*it;
    return nullptr;
}

bool KeyStore::GetValue(const std::string& name, uint32_t& value) const
{
    const Line* line = Find(name);
    if (!line)
        return false;
    value = line->value;
    return true;
}

bool KeyStore::GetSigned(const std::string& name, int32_t& value) const
{
    uint32_t bits = 0;
    if (!GetValue(name, bits))
        return false;
    value = static_cast<int32_t>(bits);
    return true;
}

bool KeyStore::SetValue(const std::string& name, uint32_t value)
{
    return Set(name, value, false);
}

bool KeyStore::SetSigned(const std::string& name, int32_t value)
{
    return Set(name, static_cast<uint32_t>(value), true);
}

bool KeyStore::Set(const std::string& name, uint32_t value, bool isSigned)
{
    if (!open || !IsStorableName(name))
        return false;

    // The value takes the place of the line that held it (or of a broken
    // line of the same name); other lines of that name would contradict it.
    size_t target = lines.size();
    for (size_t i = lines.size(); i-- > 0;)
        if (lines[i].hasValue && lines[i].name == name)
        {
            target = i;
            break;
        }
    if (target == lines.size())
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].name == name)
            {
                target = i;
                break;
            }
    if (target == lines.size())
        lines.push_back(Line{});

    Line& line = lines[target];
    line.name = name;
    line.value = value;
    line.hasValue = true;
    line.changed = true;
    line.isSigned = isSigned;
    line.raw.clear();

    for (size_t i = lines.size(); i-- > 0;)
        if (i != target && lines[i].name == name)
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    dirty = true;
    return true;
}

void KeyStore::Parse(const std::string& contents)
{
    size_t start = 0;
    while (start < contents.size())
    {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        Line line;
        line.raw = contents.substr(start, end - start);
        start = end + 1;

        std::string text = line.raw;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.size() <= kMaxLineLength && text.find('\0') == std::string::npos)
        {
            const size_t equals = text.find('=');
            if (equals != std::string::npos)
            {
                line.name = TrimBlanks(text.substr(0, equals));
                line.hasValue = !line.name.empty() && ParseNumber(TrimBlanks(text.substr(equals + 1)), line.value);
            }
        }
        lines.push_back(std::move(line));
    }
}

std::string KeyStore::Serialize() const
{
    std::string text;
    for (const Line& line : lines)
    {
        if (line.changed)
        {
            text += line.name;
            text += '=';
            text += line.isSigned ? std::to_string(static_cast<int32_t>(line.value)) : std::to_string(line.value);
        }
        else
        {
            text += line.raw;
        }
        text += '\n';
    }
    return text;
}

bool KeyStore::Flush(std::string* why)
{
    if (!open)
    {
        SetReason(why, "key is not open");
        return false;
    }
    if (!dirty)
        return true;

    const std::string temporary = filePath + ".tmp-" + std::to_string(getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
    {
        SetReason(why, SystemReason("cannot create", temporary, errno));
        return false;
    }
    // The user may have loosened or tightened the file's mode; keep it.
    struct stat info{};
    if (stat(filePath.c_str(), &info) == 0)
        fchmod(fd, info.st_mode & 07777);

    if (!WriteAll(fd, Serialize()) || fsync(fd) != 0)
    {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        SetReason(why, SystemReason("cannot write", temporary, error));
        return false;
    }
    if (close(fd) != 0)
    {
        const int error = errno;
        unlink(temporary.c_str());
        SetReason(why, SystemReason("cannot write", temporary, error));
        return false;
    }
    if (rename(temporary.c_str(), filePath.c_str()) != 0)
    {
        const int error = errno;
        unlink(temporary.c_str());
        SetReason(why, SystemReason("cannot replace", filePath, error));
        return false;
    }
    SyncFolder(FolderOf(filePath));
    dirty = false;
    return true;
}

bool KeyStore::Close(std::string* why)
{
    if (!open)
        return true;
    const bool flushed = Flush(why);
    Reset();
    return flushed;
}

void KeyStore::Reset()
{
    lines.clear();
    filePath.clear();
    open = false;
    dirty = false;
}

}
