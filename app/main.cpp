// The program's entry: opens the log, runs the one application object through
// its start-up, loop and shutdown, and closes the log last.
#include <cstdio>
#include <exception>
#include <string>

#include "app/Automation.h"
#include "app/VernaliaScreensaver.h"
#include "engine/EngineClasses.h"
#include "info/LearnSystem.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/render/Renderer.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Termination.h"

namespace
{

// The command line as one text, program name first and quoted when it has
// blanks, the way the mode parser expects it.
String JoinCommandLine(int argc, char** argv)
{
    std::string line;
    std::string program = argc > 0 ? argv[0] : "vernalia";
    if (program.find(' ') != std::string::npos)
        line = "\"" + program + "\"";
    else
        line = program;
    for (int i = 1; i < argc; ++i)
    {
        line += ' ';
        line += argv[i];
    }
    return String(line.c_str());
}

// Registers the log file output; the registry holds the only reference.
// Without a folder for it the run has no log file. The file is opened by
// its system (UTF-8) path; the output is named by the same path in the
// log's code page, so its registration line reads like every other line.
Log* OpenLog(std::string& path)
{
    std::string folder = platform::LogDirectory();
    if (folder.empty() || !platform::MakeDirectories(folder))
        return nullptr;
    path = platform::LogFilePath();
    Log* log = new Log(String(path.c_str()), String(platform::Utf8ToCp1251(path).c_str()));
    RegisterMessageOutput(log);
    return log;
}

} // namespace

int main(int argc, char** argv)
{
    // The daemon ends a screensaver with a signal; it ends the show like a
    // closed window, so shutdown and the log stay complete.
    platform::InstallTerminationHandlers();
    RegisterEngineClasses();
    RegisterInfoClasses();

    std::string logPath;
    Log* log = OpenLog(logPath);

    try
    {
        Automation automation = Automation::FromEnvironment();
        Ptr<VernaliaScreensaver> app = new VernaliaScreensaver(JoinCommandLine(argc, argv), automation);

        if (app->Create() == 0)
        {
            LogInfo("Сейвер создан.");
            if (app->Run() != 0)
                LogError("Работа скринсейвера завершена некорректно.");
            else
                LogInfo("Работа скринсейвера завершена корректно.");
        }
        else
            LogError("Невозможно создать скринсейвер.");

        if (app->Shutdown() != 0)
            LogError("Ошибка при окончании работы скринсейвера.");

        bool headless = Renderer::IsHeadless();
        app = nullptr;
        LogInfo("Конец лога.");
        if (headless)
            std::printf("Vernalia ran without a display. Log: %s\n",
                        logPath.empty() ? "(none: no folder for it)" : logPath.c_str());
        return 0;
    }
    catch (...)
    {
        LogError("Конец лога вследствии ошибки");
        if (log)
            UnregisterMessageOutput(log);
        return 1;
    }
}
