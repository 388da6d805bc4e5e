#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Renderer;

// Environment variables that steer a run without touching the command line,
// so a show can run unattended and repeatably (tests, CI, screenshots):
//   VERNALIA_HEADLESS=1       no display; frames render offscreen
//   VERNALIA_FRAMES=N         end after N frames, as if a key had been pressed
//   VERNALIA_TIME_STEP=S      every frame advances S seconds
//   VERNALIA_SEED=N           the C generator's seed instead of the time
//   VERNALIA_CLOCK=HH:MM:SS   the local time the overlays read
//   VERNALIA_CAPTURE=PATTERN  saves frames as pictures: the file type follows
//                             the extension (.tga, .bmp, .jpg/.jpeg); each
//                             "%d" becomes the frame number, counted from 1
//                             like VERNALIA_FRAMES, "%0Nd" (N 1 to 9) the
//                             number zero-padded to N digits, and "%%" a
//                             single "%"; any other "%" refuses the pattern.
//                             Without EVERY only the last frame drawn before
//                             the show ends is saved.
//   VERNALIA_CAPTURE_EVERY=N  saves frames N, 2N, 3N, ... instead
//   VERNALIA_SIZE=WxH         the desktop a run without a display pretends
//                             to have (1024x768 otherwise)
//   VERNALIA_CAMERA=NAME      the scene's camera of that name stays current;
//                             the director still chooses and logs its sets
//   VERNALIA_KEYS=KEY@FRAME[,KEY@FRAME...]
//                             presses KEY (A-Z, 0-9, F1-F12, Escape, Space)
//                             before the input of frame FRAME (from 1) is
//                             processed; with EVERY the loading screen is
//                             saved too, as frame 0
//   VERNALIA_FEED_SERVER=URL  the feeds' server ("http(s)://host[:port]")
//                             instead of the settings' one
// Malformed values are logged and ignored.
struct Automation
{
    bool headless = false;
    int64_t frameLimit = -1;   // -1: no limit
    double timeStep = -1.0;    // below 0: measured
    bool seedFixed = false;
    uint32_t seed = 0;
    bool clockFixed = false;
    int32_t hour = 0, minute = 0, second = 0;
    std::string capturePattern; // empty: no capture
    int64_t captureEvery = 0;   // 0: the last frame only
    int32_t desktopWidth = 0;   // 0: the renderer's own pretend desktop
    int32_t desktopHeight = 0;
    std::string cameraName;     // empty: the director's sets choose the camera
    // A key pressed before a frame's input, in the order given.
    struct KeyPress
    {
        int32_t key;    // engine key code
        uint64_t frame; // from 1
    };
    std::vector<KeyPress> keys;
    std::string feedServer; // empty: the settings' feed server

    // Reads the variables; call after the log is open so mistakes are seen.
    static Automation FromEnvironment();

    // The frame loop calls AfterFrame once each frame is drawn (the back
    // buffer still holds it) with the count of frames drawn so far, and
    // AfterShow once the loop has ended. Each saves what the capture
    // settings ask for; a failed save is logged and the show goes on.
    void AfterFrame(Renderer* renderer, uint64_t frame) const;
    void AfterShow(Renderer* renderer, uint64_t framesDrawn) const;
    // The loading screen, as frame 0, when frames are saved every N.
    void AfterLoadingScreen(Renderer* renderer) const;

    // Queues the presses of this frame (from 1) for the input step.
    void PressKeys(uint64_t frame) const;
};

// The engine key of a name VERNALIA_KEYS takes, or -1.
int32_t ParseKeyName(std::string_view name);

// The file name of a frame: every "%d" of pattern replaced by the number,
// every "%0Nd" (N from 1 to 9) by the number zero-padded to N digits, and
// "%%" by "%". False, with path unspecified, for any other "%" (a lone one
// at the end too).
bool ExpandCapturePattern(const std::string& pattern, uint64_t frame, std::string& path);

// Saves the picture now in the renderer's back buffer to path, through the
// image codec of the path's extension. 0; 1 (logged) when the picture cannot
// be taken or written; 3 (logged) for an extension no codec writes.
int32_t SaveScreenCapture(Renderer* renderer, const std::string& path);

// The local time overlays show: the fixed clock when one is set.
void GetLocalClock(const Automation& automation, int32_t& hour, int32_t& minute, int32_t& second);
