// Runs the built program the way a user or the screen saver daemon does and
// reads the log it leaves.
#include <gtest/gtest.h>

#include <string>

#include "support/Bytes.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

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

    std::string Log() const { return ReadText(folder.Path() + "/state/HALCYONE Studio/QRELog.txt"); }

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
        "INFO. Режим скринсейвера 1.",
        "INFO. Ресурс настроек загружен.",
        "INFO. Значения параметров по-умолчанию загружены.",
        "INFO. Значения параметров по-умолчанию установлены.",
        "INFO. Значения параметров прочитаны из реестра.",
        "INFO. Значения локальных данных загружены.",
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
    // Nothing failed, every member of the three embedded archives included.
    EXPECT_EQ(log.find("ERROR."), std::string::npos) << log;
    EXPECT_EQ(log.find("WARNING."), std::string::npos) << log;
    // The scene came out of the mounted archive: its root's record was read.
    EXPECT_NE(log.find("INFO. RTTI[QRE.SceneNode] ID["), std::string::npos);
}

TEST_F(ShowRun, SwitchesSelectTheirModesAndOnlyTheShowMountsMediaAndMs)
{
    const struct
    {
        const char* argument;
        const char* mode;
        const char* mounted; // the archives whose files the log shows going
    } cases[] = {{"/t", "2", "CustomData Media Ms"}, {"/a", "4", ""}, {"/c", "3", "CustomData"}};
    for (const auto& c : cases)
    {
        ASSERT_EQ(Run(c.argument, {"VERNALIA_FRAMES=1"}), 0) << c.argument;
        const std::string log = Log();
        EXPECT_NE(log.find(std::string("Режим скринсейвера ") + c.mode + "."), std::string::npos) << log;
        EXPECT_NE(log.find("Конец лога."), std::string::npos) << c.argument;
        for (const std::string archive : {"CustomData", "Media", "Ms"})
            EXPECT_EQ(log.find("Удаляется файл [" + archive + ".rar2].") != std::string::npos,
                      std::string(c.mounted).find(archive) != std::string::npos)
                << c.argument << " " << archive;
    }
    EXPECT_NE(Log().find("Запущен режим конфигурирования."), std::string::npos);
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

TEST_F(ShowRun, MissingHomeStillRuns)
{
    RunProgram program({VERNALIA_BINARY, "/s"}, {"HOME=", "XDG_STATE_HOME=", "XDG_CONFIG_HOME=" + folder.Path() + "/config",
                                                 "VERNALIA_HEADLESS=1", "VERNALIA_FRAMES=1"});
    EXPECT_EQ(program.Run(), 0);
}
