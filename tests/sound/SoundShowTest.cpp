// The show and its sound device: started twice with its lines, and without
// any output device the same lines as errors, then a show without sound.
#include <gtest/gtest.h>

#include <fstream>

#include "support/ShowRun.h"

using SoundShow = ShowRun;

TEST_F(SoundShow, TheDeviceStartsTwiceAndAMissingOneLeavesASilentShow)
{
    const std::string started = "Звук инициализирован. Устройство [1] [";
    const std::string missing = "Невозможно инициализировать звук. Причина [";
    ASSERT_EQ(Run("/s", {"VERNALIA_FRAMES=3"}), 0);
    std::string log = Log();
    size_t count = 0;
    for (size_t at = log.find(started); at != std::string::npos;
         at = log.find(started, at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
    EXPECT_NE(log.find("Менеджер звука завершил работу."), std::string::npos);

    // No backend left to open.
    const std::string conf = folder.Path() + "/no-device.conf";
    std::ofstream(conf) << "[general]\ndrivers = -null,-wave,-alsa,-pulse,-oss,-jack,-pipewire,-sdl2,-portaudio\n";
    ASSERT_EQ(Run("/s", {"VERNALIA_FRAMES=3", "ALSOFT_CONF=" + conf}), 0);
    log = Log();
    EXPECT_NE(log.find(missing), std::string::npos);
    EXPECT_NE(log.find("Менеджер звука инициализирован."), std::string::npos);
}
