// qre: the developer's tool for the engine's files.
//   qre dump FILE.STR   print a scene file's object graph
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "tools/qre/SceneDump.h"
#include "tools/qre/TextConversion.h"

namespace
{

int Usage()
{
    std::fprintf(stderr, "usage: qre dump FILE.STR\n");
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
    else
        result = Usage();

    TerminateEngine();
    return result;
}
