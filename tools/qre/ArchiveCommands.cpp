#include "tools/qre/ArchiveCommands.h"

#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/codecs/rar/RarArchiveReader.h"
#include "engine/codecs/rar/writer/RarArchiveWriter.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "tools/qre/TextConversion.h"

namespace fs = std::filesystem;

namespace
{

// Shows the engine's complaints while a command runs.
class StderrOutput : public MessageOutput
{
public:
    StderrOutput() : MessageOutput(String("qre")) {}

    void Output(int32_t level, const String& text) override
    {
        if (level != kLogInfo)
            std::fprintf(stderr, "qre: %s\n", Cp1251ToUtf8(std::string(text.CStr(), text.Length())).c_str());
    }
};

class ScopedStderrLog
{
public:
    ScopedStderrLog() : output(new StderrOutput()) { RegisterMessageOutput(output.Get()); }
    ~ScopedStderrLog() { UnregisterMessageOutput(output.Get()); }

private:
    Ptr<StderrOutput> output;
};

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool ok = !std::ferror(file) && bytes.size() <= UINT32_MAX;
    std::fclose(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const uint8_t* bytes, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

// Archive names are in the engine's code page; the file system's are UTF-8.
bool Utf8ToCp1251(const std::string& text, std::string& converted)
{
    iconv_t converter = iconv_open("CP1251", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    converted.assign(text.size(), '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* out = converted.data();
    size_t outLeft = converted.size();
    bool ok = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(converter);
    converted.resize(converted.size() - outLeft);
    return ok;
}

// The MS-DOS stamp of a file's modification time; SOURCE_DATE_EPOCH, when
// set, caps it so that builds are reproducible.
uint32_t DosTime(const std::string& path)
{
    struct stat info = {};
    time_t when = stat(path.c_str(), &info) == 0 ? info.st_mtime : std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"))
        when = std::min<time_t>(when, static_cast<time_t>(std::strtoll(epoch, nullptr, 10)));
    struct tm local = {};
    localtime_r(&when, &local);
    if (local.tm_year < 80)
        return (1u << 21) | (1u << 16); // 1980-01-01, the earliest a stamp can say
    return uint32_t(local.tm_year - 80) << 25 | uint32_t(local.tm_mon + 1) << 21 | uint32_t(local.tm_mday) << 16 |
           uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 | uint32_t(local.tm_sec / 2);
}

struct Source
{
    std::string member;  // UTF-8, '/' separators
    std::string path;    // on disk
};

// A path below base as a member name; empty when it lies outside.
std::string RelativeMember(const fs::path& base, const fs::path& path)
{
    std::error_code error;
    fs::path relative = fs::relative(fs::weakly_canonical(path, error), fs::weakly_canonical(base, error), error);
    if (error || relative.empty())
        return std::string();
    std::string text = relative.generic_string();
    if (text == "." || text.rfind("..", 0) == 0)
        return std::string();
    return text;
}

// FILES as members: folders stand for every file below them, in name order.
bool CollectSources(const fs::path& base, const std::vector<std::string>& items, std::vector<Source>& sources)
{
    for (const std::string& item : items)
    {
        fs::path path = fs::path(item).is_absolute() ? fs::path(item) : base / item;
        std::error_code error;
        if (fs::is_directory(path, error))
        {
            std::vector<fs::path> found;
            for (auto it = fs::recursive_directory_iterator(path, error); !error && it != fs::recursive_directory_iterator();
                 it.increment(error))
                if (it->is_regular_file(error))
                    found.push_back(it->path());
            if (error)
            {
                std::fprintf(stderr, "qre: cannot read the folder %s\n", path.c_str());
                return false;
            }
            std::sort(found.begin(), found.end());
            for (const fs::path& file : found)
                sources.push_back({RelativeMember(base, file), file.string()});
            continue;
        }
        if (!fs::is_regular_file(path, error))
        {
            std::fprintf(stderr, "qre: %s is no file\n", path.c_str());
            return false;
        }
        std::string member = RelativeMember(base, path);
        if (member.empty())
        {
            std::fprintf(stderr, "qre: %s is not inside %s\n", path.c_str(), base.c_str());
            return false;
        }
        sources.push_back({member, path.string()});
    }
    return true;
}

int PackUsage()
{
    std::fprintf(stderr, "usage: qre pack [--solid] [--store] [--audio] [--level N] [--add MEMBER SOURCE]... "
                         "OUT.rar2 BASEDIR [FILES...]\n");
    return 2;
}

} // namespace

int RunPackCommand(int argc, char** argv)
{
    RarArchiveWriter::Options options;
    std::vector<Source> added;
    int at = 1;
    for (; at < argc && std::strncmp(argv[at], "--", 2) == 0; ++at)
    {
        std::string option = argv[at];
        if (option == "--solid")
            options.solid = true;
        else if (option == "--store")
            options.store = true;
        else if (option == "--audio")
            options.audio = true;
        else if (option == "--level" && at + 1 < argc && std::strlen(argv[at + 1]) == 1 && argv[at + 1][0] >= '1' &&
                 argv[at + 1][0] <= '5')
            options.level = static_cast<uint32_t>(argv[++at][0] - '0');
        else if (option == "--add" && at + 2 < argc)
        {
            std::string member = argv[at + 1];
            std::replace(member.begin(), member.end(), '\\', '/');
            added.push_back({member, argv[at + 2]});
            at += 2;
        }
        else
            return PackUsage();
    }
    if (argc - at < 2)
        return PackUsage();
    std::string outPath = argv[at];
    fs::path base = argv[at + 1];
    std::vector<std::string> items(argv + at + 2, argv + argc);
    if (items.empty())
        items.push_back(".");

    ScopedStderrLog log;
    std::vector<Source> sources;
    if (!CollectSources(base, items, sources))
        return 1;
    sources.insert(sources.end(), added.begin(), added.end());
    std::set<std::string> seen;
    for (const Source& source : sources)
    {
        if (!seen.insert(source.member).second)
        {
            std::fprintf(stderr, "qre: %s is given twice\n", source.member.c_str());
            return 1;
        }
    }

    // Every folder gets an entry of its own, before its members.
    std::vector<RarArchiveWriter::Entry> entries;
    std::vector<std::vector<uint8_t>> contents(sources.size());
    std::set<std::string> folders;
    for (size_t i = 0; i < sources.size(); ++i)
    {
        const Source& source = sources[i];
        for (size_t slash = source.member.find('/'); slash != std::string::npos;
             slash = source.member.find('/', slash + 1))
        {
            std::string folder = source.member.substr(0, slash);
            if (!folders.insert(folder).second)
                continue;
            RarArchiveWriter::Entry entry;
            std::string name;
            if (!Utf8ToCp1251(folder, name))
            {
                std::fprintf(stderr, "qre: the name %s has no Windows-1251 form\n", folder.c_str());
                return 1;
            }
            std::replace(name.begin(), name.end(), '/', '\\');
            entry.name = String(name);
            entry.directory = true;
            entry.dosTime = DosTime((base / folder).string());
            entries.push_back(entry);
        }
        if (!ReadWholeFile(source.path, contents[i]))
        {
            std::fprintf(stderr, "qre: cannot read %s\n", source.path.c_str());
            return 1;
        }
        std::string name;
        if (!Utf8ToCp1251(source.member, name))
        {
            std::fprintf(stderr, "qre: the name %s has no Windows-1251 form\n", source.member.c_str());
            return 1;
        }
        std::replace(name.begin(), name.end(), '/', '\\');
        RarArchiveWriter::Entry entry;
        entry.name = String(name);
        entry.data = contents[i].data();
        entry.size = static_cast<uint32_t>(contents[i].size());
        entry.dosTime = DosTime(source.path);
        entries.push_back(entry);
    }

    std::vector<uint8_t> archive;
    if (RarArchiveWriter::Write(entries, options, archive) != 0)
        return 1;
    std::string temporary = outPath + ".part";
    if (!WriteWholeFile(temporary, archive.data(), archive.size()) || std::rename(temporary.c_str(), outPath.c_str()) != 0)
    {
        std::remove(temporary.c_str());
        std::fprintf(stderr, "qre: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

int RunListCommand(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: qre list ARCHIVE\n");
        return 2;
    }
    ScopedStderrLog log;
    std::vector<uint8_t> archive;
    if (!ReadWholeFile(argv[1], archive))
    {
        std::fprintf(stderr, "qre: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<RarMemberRecord> members;
    if (RarArchiveReader::ListArchive(archive.data(), static_cast<uint32_t>(archive.size()), members) != 0)
        return 1;
    for (const RarMemberRecord& member : members)
    {
        std::printf("%s %u %u 0x%02X %u %08X%s%s\n",
                    Cp1251ToUtf8(std::string(member.name.CStr(), member.name.Length())).c_str(), member.unpackedSize,
                    member.packedSize, member.method, member.unpackVersion, member.crc,
                    (member.flags & RarMemberRecord::kSolid) ? " solid" : "", member.IsDirectory() ? " dir" : "");
    }
    return 0;
}

int RunExtractCommand(int argc, char** argv)
{
    if (argc != 5 || std::strcmp(argv[3], "-o") != 0)
    {
        std::fprintf(stderr, "usage: qre extract ARCHIVE NAME -o FILE\n");
        return 2;
    }
    ScopedStderrLog log;
    std::vector<uint8_t> archive;
    if (!ReadWholeFile(argv[1], archive))
    {
        std::fprintf(stderr, "qre: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string name;
    if (!Utf8ToCp1251(argv[2], name))
    {
        std::fprintf(stderr, "qre: the name %s has no Windows-1251 form\n", argv[2]);
        return 1;
    }
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t length = 0;
    if (!RarArchiveReader::ExtractMember(archive.data(), static_cast<uint32_t>(archive.size()), String(name), String(),
                                         &bytes, &length))
        return 1;
    if (!WriteWholeFile(argv[4], bytes.get(), length))
    {
        std::fprintf(stderr, "qre: cannot write %s\n", argv[4]);
        return 1;
    }
    return 0;
}
