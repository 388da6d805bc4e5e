// The X display going away under a running show or preview: the server is
// killed (a crash, an ended session) or another client cuts the show off
// (xkill). Each case has an Xvfb of its own, so the display the other tests
// share stays up, and the test holds no connection to it when it dies.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An Xvfb on the first free display number; Name() is empty when none
// could be started.
class PrivateServer
{
public:
    PrivateServer()
    {
        int channel[2];
        if (pipe(channel) != 0)
            return;
        std::string fd = std::to_string(channel[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp",
                              "-screen", "0", "640x480x24", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, channel[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(channel[1]);
        // The number arrives, with a newline, once the server accepts clients.
        std::string number;
        pollfd ready = {channel[0], POLLIN, 0};
        char c = 0;
        while (pid > 0 && poll(&ready, 1, 10000) > 0 && read(channel[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(channel[0]);
        if (c == '\n' && !number.empty())
            name = ":" + number;
    }

    ~PrivateServer() { Kill(); }

    const std::string& Name() const { return name; }

    void Kill()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

private:
    pid_t pid = -1;
    std::string name;
};

class LostDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (server.Name().empty())
            GTEST_SKIP() << "no Xvfb to kill";
    }

    // Starts the program on the private server; the show saves every third
    // frame, so a file tells that frames were drawn and presented.
    void Launch(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), VERNALIA_BINARY);
        program = std::make_unique<RunProgram>(
            arguments, std::vector<std::string>{"DISPLAY=" + server.Name(),
                                                "XDG_STATE_HOME=" + folder.Path() + "/state",
                                                "XDG_CONFIG_HOME=" + folder.Path() + "/config",
                                                "VERNALIA_CAPTURE=" + folder.Path() + "/frame%d.bmp",
                                                "VERNALIA_CAPTURE_EVERY=3"});
        ASSERT_TRUE(program->Start());
    }

    // Waits out the start-up (the whole scene loads first) until frame 3 is saved.
    bool FramesDrawn()
    {
        for (int i = 0; i < 1200 && !program->EndsWithin(std::chrono::milliseconds(50)); ++i)
            if (std::filesystem::exists(folder.Path() + "/frame3.bmp"))
                return true;
        return false;
    }

    // A connection of the test's own for a moment; it must be closed before
    // the server dies, or Xlib would end the test.
    Display* Connect() { return XOpenDisplay(server.Name().c_str()); }

    // Ended by itself within a few seconds with code 0, the log (buffered
    // until the end) complete and without errors, nothing it started left.
    void ExpectOrderlyEnd()
    {
        EXPECT_EQ(program->Wait(std::chrono::seconds(5)), 0);
        const std::string log = ReadFile(folder.Path() + "/state/HALCYONE Studio/QRELog.txt");
        const std::string tail = "INFO. Работа скринсейвера завершена корректно.\n";
        const std::string last = "INFO. Конец лога.\n";
        EXPECT_NE(log.find(tail), std::string::npos) << log;
        EXPECT_TRUE(log.size() >= last.size() && log.compare(log.size() - last.size(), last.size(), last) == 0);
        EXPECT_EQ(log.find("ERROR."), std::string::npos) << log;
        EXPECT_EQ(ProcessesInFolder(), 0);
    }

    // Processes whose environment names the test's folder: the program and
    // whatever it started.
    int ProcessesInFolder()
    {
        int count = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", error))
        {
            const std::string id = entry.path().filename();
            if (id.find_first_not_of("0123456789") == std::string::npos && id != std::to_string(getpid()) &&
                ReadFile(entry.path() / "environ").find(folder.Path()) != std::string::npos)
                ++count;
        }
        return count;
    }

    PrivateServer server;
    TemporaryFolder folder;
    std::unique_ptr<RunProgram> program;
};

} // namespace

TEST_F(LostDisplay, KilledServerEndsTheShowInOrder)
{
    Launch({"/s"});
    ASSERT_TRUE(FramesDrawn());
    server.Kill();
    ExpectOrderlyEnd();
}

TEST_F(LostDisplay, KilledServerEndsThePreviewInOrder)
{
    // The settings window the preview sits in, kept when its client leaves.
    Display* peer = Connect();
    ASSERT_NE(peer, nullptr);
    const ::Window parent = XCreateSimpleWindow(peer, DefaultRootWindow(peer), 0, 0, 160, 120, 0, 0, 0);
    XMapWindow(peer, parent);
    XSetCloseDownMode(peer, RetainPermanent);
    XCloseDisplay(peer);

    Launch({"/p", std::to_string(parent)});
    unsigned int children = 0;
    for (int i = 0; i < 200 && children == 0 && !program->EndsWithin(std::chrono::milliseconds(50)); ++i)
    {
        peer = Connect();
        ::Window root = 0, up = 0, *list = nullptr;
        if (peer && XQueryTree(peer, parent, &root, &up, &list, &children) && list)
            XFree(list);
        if (peer)
            XCloseDisplay(peer);
    }
    ASSERT_EQ(children, 1u);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.Kill();
    ExpectOrderlyEnd();
}

TEST_F(LostDisplay, ShowCutOffByAnotherClientEndsInOrder)
{
    Launch({"/s"});
    ASSERT_TRUE(FramesDrawn());
    Display* peer = Connect();
    ASSERT_NE(peer, nullptr);
    ::Window root = 0, up = 0, *list = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(peer, DefaultRootWindow(peer), &root, &up, &list, &count));
    int killed = 0;
    for (unsigned int i = 0; i < count; ++i)
    {
        char* name = nullptr;
        if (XFetchName(peer, list[i], &name) && name)
        {
            if (std::strcmp(name, "Vernalia 3D Screensaver") == 0)
            {
                XKillClient(peer, list[i]);
                ++killed;
            }
            XFree(name);
        }
    }
    if (list)
        XFree(list);
    XCloseDisplay(peer);
    ASSERT_EQ(killed, 1);
    ExpectOrderlyEnd();
}
