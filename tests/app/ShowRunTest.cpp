// Runs the built program the way a user or the screen saver daemon does and
// reads the log it leaves.
#include <gtest/gtest.h>

#include <string>

#include "support/ShowRun.h"

namespace
{

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
    // The shipped scene's director chose the first shot while it loaded.
    EXPECT_NE(log.find("INFO. Выбран сет ["), std::string::npos) << log;
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
        // Without a display: the settings dialog says it needs one.
        ASSERT_EQ(Run(c.argument, {"VERNALIA_FRAMES=1", "DISPLAY="}), 0) << c.argument;
        const std::string log = Log();
        EXPECT_NE(log.find(std::string("Режим скринсейвера ") + c.mode + "."), std::string::npos) << log;
        EXPECT_NE(log.find("Конец лога."), std::string::npos) << c.argument;
        for (const std::string archive : {"CustomData", "Media", "Ms"})
            EXPECT_EQ(log.find("Удаляется файл [" + archive + ".rar2].") != std::string::npos,
                      std::string(c.mounted).find(archive) != std::string::npos)
                << c.argument << " " << archive;
    }
    EXPECT_NE(Log().find("Запущен режим конфигурирования."), std::string::npos);
    EXPECT_NE(Log().find("Невозможно открыть окно настроек: нет дисплея ["), std::string::npos);
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
    EXPECT_EQ(ReadText(state + "/HALCYONE Studio/QRELog.txt").substr(0, first.size()), first);
}
