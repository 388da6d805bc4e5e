// Runs the built program the way a user or the screen saver daemon does and
// reads the log it leaves.
#include <gtest/gtest.h>

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

class ShowRun : public ::testing::Test
{
protected:
    // Runs the program headless with its own state and config folders.
    int Run(const char* argument, const std::vector<std::string>& extra = {})
    {
        return RunProgram({VERNALIA_BINARY, argument}, Environment(extra)).Run();
    }

    std::vector<std::string> Environment(const std::vector<std::string>& extra) const
    {
        std::vector<std::string> all = {"XDG_STATE_HOME=" + folder.Path() + "/state",
                                        "XDG_CONFIG_HOME=" + folder.Path() + "/config", "VERNALIA_HEADLESS=1"};
        all.insert(all.end(), extra.begin(), extra.end());
        return all;
    }

    std::string Log() const { return ReadFile(folder.Path() + "/state/HALCYONE Studio/QRELog.txt"); }
    std::string Store() const
    {
        return ReadFile(folder.Path() + "/config/Brightfold Software/Vernalia 3D Screensaver.conf");
    }

    TemporaryFolder folder;
};

// The lines must appear in this order, each once at least.
void ExpectInOrder(const std::string& log, const std::vector<std::string>& lines)
{
    size_t at = 0;
    for (const std::string& line : lines)
    {
        size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line;
        at = found + line.size();
    }
}

} // namespace

TEST_F(ShowRun, ThreeFramesHeadlessLogTheWholeLifecycle)
{
    ASSERT_EQ(Run("/s", {"VERNALIA_FRAMES=3"}), 0);
    std::string log = Log();
    ExpectInOrder(log, {
        "INFO. Объект вывода сообщений зарегестрирован. [",
        "INFO. Режим скринсейвера 1.",
        "INFO. Ресурс настроек загружен.",
        "INFO. Значения параметров по-умолчанию загружены.",
        "INFO. Значения параметров по-умолчанию установлены.",
        "INFO. Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр...",
        "INFO. Значения параметров прочитаны из реестра.",
        "INFO. ShowFPS: false",
        "INFO. Widescreen: true",
        "INFO. Значения локальных данных загружены.",
        "INFO. Инициализация движка v.0.1.2:",
        "INFO. Инициализация класса [Object] прошла удачно.",
        "INFO. Постинициализация движка завершилась удачно.",
        "INFO. Загружается кодек [RAR2FileCodec].",
        "INFO. Директория [CustomData.rar2] добавлена к директории [].",
        "INFO. Удаляется файл [CustomData.rar2].",
        "INFO. Удаляется файл [Media.rar2].",
        "INFO. Удаляется файл [Ms.rar2].",
        "INFO. Скринсейвер инициализирован.",
        "INFO. Окна скринсейвера созданы.",
        "INFO. Кеширование закончено.",
        "INFO. Сейвер создан.",
        "INFO. Работа скринсейвера завершена корректно.",
        "INFO. Окна скринсейвера удалены.",
        "INFO. Завершение работы движка завершилось удачно.",
        "INFO. Скринсейвер завершил работу.",
        "INFO. Конец лога.\n",
    });
    EXPECT_EQ(log.find("ERROR."), std::string::npos) << log;
    EXPECT_EQ(log.find("WARNING."), std::string::npos) << log;
    // The scene came out of the mounted archive: its root's record was read.
    EXPECT_NE(log.find("INFO. RTTI[QRE.SceneNode] ID["), std::string::npos);
    EXPECT_NE(Store().find("Gamma=0\n"), std::string::npos);

    // The second run reads what the first one wrote.
    ASSERT_EQ(Run("/s", {"VERNALIA_FRAMES=1"}), 0);
    EXPECT_EQ(Log().find("Первый запуск"), std::string::npos);
}

TEST_F(ShowRun, SwitchesSelectTheirModes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/t", "Режим скринсейвера 2."}, {"-s", "Режим скринсейвера 1."},
        {"/a", "Режим скринсейвера 4."}, {"/c", "Режим скринсейвера 3."},
    };
    for (const auto& [argument, line] : cases)
    {
        ASSERT_EQ(Run(argument, {"VERNALIA_FRAMES=1"}), 0) << argument;
        EXPECT_NE(Log().find(line), std::string::npos) << argument;
        EXPECT_NE(Log().find("Конец лога."), std::string::npos) << argument;
    }
    EXPECT_NE(Log().find("Запущен режим конфигурирования."), std::string::npos);
}

TEST_F(ShowRun, TheLogNamesItsOwnPathInTheCodePageOfEveryLine)
{
    // A Cyrillic folder, and a character the code page lacks.
    const std::string state = folder.Path() + reinterpret_cast<const char*>(u8"/Состояние漢");
    ASSERT_EQ(RunProgram({VERNALIA_BINARY, "/a"}, {"XDG_STATE_HOME=" + state, "XDG_CONFIG_HOME=" + folder.Path() + "/config",
                                                   "VERNALIA_HEADLESS=1"})
                  .Run(),
              0);
    const std::string first = "INFO. Объект вывода сообщений зарегестрирован. [" + folder.Path() +
                              "/Состояние?/HALCYONE Studio/QRELog.txt]\n";
    EXPECT_EQ(ReadFile(state + "/HALCYONE Studio/QRELog.txt").substr(0, first.size()), first);
}

TEST_F(ShowRun, OnlyTheShowMountsMediaAndMs)
{
    ASSERT_EQ(Run("/c", {"VERNALIA_FRAMES=1"}), 0);
    std::string log = Log();
    EXPECT_NE(log.find("INFO. Удаляется файл [CustomData.rar2]."), std::string::npos) << log;
    EXPECT_EQ(log.find("Media.rar2"), std::string::npos) << log;
    EXPECT_EQ(log.find("Ms.rar2"), std::string::npos) << log;

    ASSERT_EQ(Run("/a", {"VERNALIA_FRAMES=1"}), 0);
    EXPECT_EQ(Log().find(".rar2"), std::string::npos) << Log();
}

TEST_F(ShowRun, TerminationSignalEndsTheShowInOrder)
{
    RunProgram program({VERNALIA_BINARY, "/s"}, Environment({"VERNALIA_FRAMES=100000000"}));
    ASSERT_TRUE(program.Start());
    // End it the way the daemon does, at any moment: the log is buffered,
    // so there is nothing to watch for; a signal during start-up is handled
    // by the first frame's input.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
    std::string log = Log();
    ExpectInOrder(log, {"INFO. Работа скринсейвера завершена корректно.",
                        "INFO. Завершение работы движка завершилось удачно.", "INFO. Конец лога.\n"});
}

TEST_F(ShowRun, BadAutomationValuesAreLoggedAndIgnored)
{
    ASSERT_EQ(Run("/s", {"VERNALIA_FRAMES=2", "VERNALIA_TIME_STEP=fast", "VERNALIA_CLOCK=25:00:00",
                         "VERNALIA_SEED=-1"}),
              0);
    std::string log = Log();
    EXPECT_NE(log.find("VERNALIA_TIME_STEP"), std::string::npos);
    EXPECT_NE(log.find("VERNALIA_CLOCK"), std::string::npos);
    EXPECT_NE(log.find("VERNALIA_SEED"), std::string::npos);
}

TEST_F(ShowRun, MissingHomeStillRuns)
{
    RunProgram program({VERNALIA_BINARY, "/s"}, {"HOME=", "XDG_STATE_HOME=", "XDG_CONFIG_HOME=" + folder.Path() + "/config",
                                                 "VERNALIA_HEADLESS=1", "VERNALIA_FRAMES=1"});
    EXPECT_EQ(program.Run(), 0);
}
