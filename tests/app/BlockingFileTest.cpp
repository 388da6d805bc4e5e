// A FIFO where the settings key or the log file belongs: opening it the
// ordinary way waits for a writer (or a reader) forever, so the program
// would hang before its first line and ignore the daemon's signal.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsFifo(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

} // namespace

// Each file is refused as the program refuses a file it cannot open: the
// settings with their open error (start-up fails, shutdown runs), the log
// silently (the run goes on without one). A run that blocked is killed at
// the limit and reports -1.
TEST(BlockingFile, FifoAtTheSettingsOrLogPathIsRefusedWithoutWaiting)
{
    TemporaryFolder folder;
    const std::string settingsFolder = folder.Path() + "/config/Brightfold Software";
    const std::string settings = settingsFolder + "/Vernalia 3D Screensaver.conf";
    const std::string logFolder = folder.Path() + "/state/HALCYONE Studio";
    const std::string log = logFolder + "/QRELog.txt";
    std::filesystem::create_directories(settingsFolder);
    std::filesystem::create_directories(logFolder);
    const std::vector<std::string> environment = {"XDG_STATE_HOME=" + folder.Path() + "/state",
                                                  "XDG_CONFIG_HOME=" + folder.Path() + "/config", "VERNALIA_HEADLESS=1"};
    const auto limit = std::chrono::seconds(10);

    ASSERT_EQ(mkfifo(settings.c_str(), 0600), 0);
    ASSERT_EQ(RunProgram({VERNALIA_BINARY, "/a"}, environment).Run(limit), 0);
    const std::string text = ReadFile(log);
    const std::string lines[] = {
        "ERROR. Неудачна попытка открытия пути реестра [Software\\\\Brightfold Software\\\\Vernalia 3D Screensaver].\n"
        "ERROR. Невозможно прочитать значения параметров из реестра.\n"
        "ERROR. Невозможно создать скринсейвер.\n",
        "INFO. Скринсейвер завершил работу.\nINFO. Конец лога.\n",
    };
    for (const std::string& expected : lines)
        EXPECT_NE(text.find(expected), std::string::npos) << text;
    EXPECT_TRUE(IsFifo(settings));

    std::filesystem::remove(settings);
    std::filesystem::remove(log);
    ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
    ASSERT_EQ(RunProgram({VERNALIA_BINARY, "/a"}, environment).Run(limit), 0);
    EXPECT_TRUE(IsFifo(log));
    // The run went on without its log: the first run stored the defaults.
    EXPECT_NE(ReadFile(settings).find("Gamma="), std::string::npos);
}
