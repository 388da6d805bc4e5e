// qre: the developer's tool for the engine's files.
//   qre dump [--archive PATH]... FILE.STR   print a scene file's object graph
//   qre pack / list / extract   make and read archives (ArchiveCommands.h)
//   qre image FILE [-o RAW]     decode a picture (ImageCommand.h)
//   qre feed FILE               what a feed source would queue (FeedCommand.h)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "info/LearnSystem.h"
#include "engine/core/EngineStartup.h"
#include "tools/qre/ArchiveCommands.h"
#include "tools/qre/FeedCommand.h"
#include "tools/qre/ImageCommand.h"
#include "tools/qre/SceneDump.h"
#include "tools/qre/TextConversion.h"

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: qre dump [--archive ARCHIVE]... FILE.STR\n"
                         "       qre pack [--solid] [--store] [--audio] [--level N] [--add MEMBER SOURCE]... "
                         "OUT.rar2 BASEDIR [FILES...]\n"
                         "       qre list ARCHIVE\n"
                         "       qre extract ARCHIVE NAME -o FILE\n"
                         "       qre image FILE [-o RAW]\n"
                         "       qre feed FILE\n");
    return 2;
}

// qre dump [--archive PATH]... FILE.STR: the tree on stdout; the load's
// warnings on stderr whether it succeeds or not.
int Dump(int argc, char** argv)
{
    std::vector<std::string> archives;
    int at = 1;
    for (; at + 1 < argc && std::strcmp(argv[at], "--archive") == 0; at += 2)
        archives.emplace_back(argv[at + 1]);
    if (at + 1 != argc || std::strncmp(argv[at], "--", 2) == 0)
        return Usage();

    DumpResult result;
    const int outcome = DumpScene(argv[at], archives, result);
    if (outcome != 0)
        std::fprintf(stderr, "qre: %s\n", result.failure.c_str());
    for (const std::string& reason : result.reasons)
        std::fprintf(stderr, "  %s\n", Cp1251ToUtf8(reason).c_str());
    if (outcome != 0)
        return 1;
    std::fputs(Cp1251ToUtf8(result.tree).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();

    RegisterEngineClasses();
    RegisterInfoClasses();
    if (InitializeEngine() != 0)
    {
        std::fprintf(stderr, "qre: the engine does not start\n");
        return 1;
    }

    int result;
    if (std::strcmp(argv[1], "dump") == 0)
        result = Dump(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "pack") == 0)
        result = RunPackCommand(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "list") == 0)
        result = RunListCommand(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "extract") == 0)
        result = RunExtractCommand(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "feed") == 0)
        result = RunFeedCommand(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "image") == 0)
        result = RunImageCommand(argc - 1, argv + 1);
    else
        result = Usage();

    TerminateEngine();
    return result;
}
