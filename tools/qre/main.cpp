// qre: the developer's tool for the engine's files.
//   qre dump FILE.STR   print a scene file's object graph
//   qre pack / list / extract   make and read archives (ArchiveCommands.h)
//   qre image FILE [-o RAW]     decode a picture (ImageCommand.h)
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "tools/qre/ArchiveCommands.h"
#include "tools/qre/ImageCommand.h"
#include "tools/qre/SceneDump.h"
#include "tools/qre/TextConversion.h"

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: qre dump FILE.STR\n"
                         "       qre pack [--solid] [--store] [--audio] [--level N] [--add MEMBER SOURCE]... "
                         "OUT.rar2 BASEDIR [FILES...]\n"
                         "       qre list ARCHIVE\n"
                         "       qre extract ARCHIVE NAME -o FILE\n"
                         "       qre image FILE [-o RAW]\n");
    return 2;
}

int Dump(const char* path)
{
    std::string out;
    std::vector<std::string> reasons;
    int result = DumpScene(path, out, reasons);
    if (result != 0)
    {
        std::fprintf(stderr, "qre: %s does not load\n", path);
        for (const std::string& reason : reasons)
            std::fprintf(stderr, "  %s\n", Cp1251ToUtf8(reason).c_str());
        return 1;
    }
    std::fputs(Cp1251ToUtf8(out).c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();

    RegisterEngineClasses();
    if (InitializeEngine() != 0)
    {
        std::fprintf(stderr, "qre: the engine does not start\n");
        return 1;
    }

    int result;
    if (std::strcmp(argv[1], "dump") == 0 && argc == 3)
        result = Dump(argv[2]);
    else if (std::strcmp(argv[1], "pack") == 0)
        result = RunPackCommand(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "list") == 0)
        result = RunListCommand(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "extract") == 0)
        result = RunExtractCommand(argc - 1, argv + 1);
    else if (std::strcmp(argv[1], "image") == 0)
        result = RunImageCommand(argc - 1, argv + 1);
    else
        result = Usage();

    TerminateEngine();
    return result;
}
