// The settings dialog on a real X display: the toolkit next to the engine's
// X connection, text conversion at the toolkit's door, and the program's
// configuration mode driven by keys and the window's close.
#include "support/XPeer.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/DialogModel.h"
#include "platform/DisplayConnection.h"
#include "platform/GtkDialog.h"
#include "support/Bytes.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

namespace
{

// A dialog of one label and one button, with a Cyrillic caption and label.
class CyrillicBox : public platform::DialogHandler
{
public:
    CyrillicBox()
    {
        model.Template() = DialogModel::AboutTemplate().Template();
        model.Template().caption = "Настройки";
        model.SetText(1040, "Громкость 100%");
    }
    platform::DialogTemplate& Controls() override { return model.Template(); }
    platform::DialogAction Command(int32_t) override { return platform::DialogAction::End; }
    void Scroll(int32_t) override {}
    const platform::DialogPicture* Picture(int32_t) override { return nullptr; }
    int32_t Result() const override { return 1; }

    DialogModel model;
};

using DialogOnDisplay = xpeer::PeerTest;

// A window id no client has made.
constexpr unsigned long kNoWindow = 0x7ffffff0;

} // namespace

TEST_F(DialogOnDisplay, ToolkitStartsBesideTheEngineTrapsAndGetsUtf8)
{
    std::string why;
    ASSERT_TRUE(platform::StartDialogToolkit(&why)) << why;
    // Number parsing stays in the C locale.
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

    // The engine's trap catches its request's error; GDK's trap catches its own.
    Display* engine = platform::DisplayConnection::Current();
    ASSERT_NE(engine, nullptr);
    platform::DisplayConnection::BeginErrorTrap();
    XMapWindow(engine, kNoWindow);
    EXPECT_EQ(platform::DisplayConnection::EndErrorTrap(), BadWindow);
    GdkDisplay* toolkit = gdk_display_get_default();
    gdk_x11_display_error_trap_push(toolkit);
    XMapWindow(GDK_DISPLAY_XDISPLAY(toolkit), kNoWindow);
    EXPECT_EQ(gdk_x11_display_error_trap_pop(toolkit), BadWindow);

    CyrillicBox box;
    platform::DialogView view(box, 0);
    EXPECT_EQ(view.ToolkitText(0), reinterpret_cast<const char*>(u8"Настройки"));
    EXPECT_EQ(view.ToolkitText(1040), reinterpret_cast<const char*>(u8"Громкость 100%"));
}

namespace
{

// The program in configuration mode with a store of its own.
class ConfigureOnDisplay : public xpeer::PeerTest
{
protected:
    void SetUp() override { Launch("Volume=33\n", "Vernalia 3D Screensaver Configuration"); }

    // The window the dialog says it belongs to (WM_TRANSIENT_FOR), 0 for none.
    ::Window Owner()
    {
        ::Window owner = 0;
        return XGetTransientForHint(peer, dialog, &owner) ? owner : 0;
    }

    // Starts "/c" over a store of that text (none when empty: the folder
    // is blocked by a file) and waits for the window of that title.
    void Launch(const std::string& store, const std::string& title, const std::string& mode = "/c")
    {
        xpeer::PeerTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_EQ(system(("mkdir -p '" + folder.Path() + "/config'").c_str()), 0);
        if (store.empty())
            WriteText(folder.Path() + "/config/Brightfold Software", "blocked");
        else if (system(("mkdir -p '" + folder.Path() + "/config/Brightfold Software'").c_str()) == 0)
            WriteText(StorePath(), store);
        program = std::make_unique<RunProgram>(
            std::vector<std::string>{VERNALIA_BINARY, mode},
            std::vector<std::string>{"XDG_STATE_HOME=" + folder.Path() + "/state",
                                     "XDG_CONFIG_HOME=" + folder.Path() + "/config"});
        ASSERT_TRUE(program->Start());
        for (int i = 0; i < 300 && !dialog; ++i)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            dialog = FindDialog(title);
        }
        ASSERT_NE(dialog, 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }

    std::string StorePath() const { return folder.Path() + "/config/Brightfold Software/Vernalia 3D Screensaver.conf"; }

    ::Window FindDialog(const std::string& title = "Vernalia 3D Screensaver Configuration")
    {
        for (::Window child : xpeer::Children(peer, DefaultRootWindow(peer)))
        {
            XWindowAttributes attributes;
            char* name = nullptr;
            if (!XGetWindowAttributes(peer, child, &attributes) || attributes.map_state != IsViewable ||
                !XFetchName(peer, child, &name) || !name)
                continue;
            const bool found = std::string(name) == title;
            XFree(name);
            if (found)
                return child;
        }
        return 0;
    }

    // A key as the keyboard gives it, to the focused dialog.
    void Press(KeySym key)
    {
        // The dialog may be gone since the last key: no focus, no exit.
        XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        XSetInputFocus(peer, dialog, RevertToParent, CurrentTime);
        XSync(peer, False);
        XSetErrorHandler(previous);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const KeyCode code = XKeysymToKeycode(peer, key);
        XTestFakeKeyEvent(peer, code, True, CurrentTime);
        XTestFakeKeyEvent(peer, code, False, CurrentTime);
        XSync(peer, False);
    }

    // Presses the key until the program ends (a loaded machine may give the
    // dialog its focus late); its exit code, -1 when it never ends.
    int PressUntilEnd(KeySym key)
    {
        for (int attempt = 0; attempt < 10; ++attempt)
        {
            Press(key);
            if (program->EndsWithin(std::chrono::seconds(2)))
                break;
        }
        return program->Wait(std::chrono::seconds(5));
    }

    TemporaryFolder folder;
    std::unique_ptr<RunProgram> program;
    ::Window dialog = 0;
};

} // namespace

TEST_F(ConfigureOnDisplay, EnterWritesTheStoreAndEnds)
{
    EXPECT_EQ(PressUntilEnd(XK_Return), 0);
    const std::string stored = ReadText(StorePath());
    EXPECT_EQ(stored.rfind("Volume=33\nShowFPS=0\n", 0), 0u) << stored;
    EXPECT_NE(stored.find("Widescreen=1\n"), std::string::npos);
}

TEST_F(ConfigureOnDisplay, EscapeAndClosingEndWithTheStoreUntouched)
{
    EXPECT_EQ(Owner(), 0u);
    EXPECT_EQ(PressUntilEnd(XK_Escape), 0);
    EXPECT_EQ(ReadText(StorePath()), "Volume=33\n");

    // Now for the settings window that names itself with /c:ID.
    const ::Window settings = xpeer::MakeWindow(peer, 300, 200);
    dialog = 0;
    Launch("Volume=33\n", "Vernalia 3D Screensaver Configuration", "/c:" + std::to_string(settings));
    EXPECT_EQ(Owner(), settings);
    xpeer::SendDeleteRequest(peer, dialog);
    EXPECT_EQ(program->Wait(std::chrono::seconds(20)), 0);
    EXPECT_EQ(ReadText(StorePath()), "Volume=33\n");
}

TEST_F(ConfigureOnDisplay, UnusableStoreShowsTheReasonFirst)
{
    // The settings dialog of SetUp ends first; then a blocked store.
    ASSERT_EQ(PressUntilEnd(XK_Escape), 0);
    ASSERT_EQ(system(("rm -rf '" + folder.Path() + "/config'").c_str()), 0);
    dialog = 0;
    Launch("", "Error");
    xpeer::SendDeleteRequest(peer, dialog);
    EXPECT_EQ(program->Wait(std::chrono::seconds(20)), 0);
    const std::string log = ReadText(folder.Path() + "/state/HALCYONE Studio/QRELog.txt");
    EXPECT_NE(log.find("Невозможно прочитать значения параметров из реестра."), std::string::npos);
}

TEST(ConfigureWithoutDisplay, SaysSoAndEndsTheRunAsFailed)
{
    TemporaryFolder folder;
    RunProgram program({VERNALIA_BINARY, "/c"},
                       {"DISPLAY=", "XDG_STATE_HOME=" + folder.Path() + "/state",
                        "XDG_CONFIG_HOME=" + folder.Path() + "/config"});
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(program.Wait(std::chrono::seconds(30)), 0);
    const std::string log = ReadText(folder.Path() + "/state/HALCYONE Studio/QRELog.txt");
    EXPECT_NE(log.find("Невозможно открыть окно настроек: нет дисплея [DISPLAY is not set]."), std::string::npos);
    EXPECT_NE(log.find("Работа скринсейвера завершена некорректно."), std::string::npos);
}
