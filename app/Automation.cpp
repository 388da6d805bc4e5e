#include "app/Automation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <ctime>
#include <vector>

#include "engine/image/Image.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/InputEvent.h"
#include "engine/files/InputManager.h"
#include "engine/render/Renderer.h"

namespace
{

// A whole decimal number in [low, high]; false for anything else.
bool ParseInteger(const char* text, long long low, long long high, long long& value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != 0 || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

// The largest side VERNALIA_SIZE takes: a larger offscreen frame is a
// mistake, not a desktop.
constexpr int32_t kMaxDesktopSide = 16384;

// One side of VERNALIA_SIZE: decimal digits without a leading zero, from 1
// to kMaxDesktopSide; false for anything else.
bool ParseDesktopSide(std::string_view text, int32_t& side)
{
    if (text.empty() || text.size() > 5 || text[0] == '0')
        return false;
    int32_t value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > kMaxDesktopSide)
        return false;
    side = value;
    return true;
}

void Ignore(const char* name, const char* value)
{
    LogWarning("Переменная окружения %s имеет неверное значение [%s] и не учитывается.", name, value);
}

// The image codec that writes files of a path's extension (any letter case),
// or null: the text after the last "." of the file name.
const char* CaptureCodecName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return nullptr;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (extension == "tga")
        return "TGAImageCodec";
    if (extension == "bmp")
        return "BMPImageCodec";
    if (extension == "jpg" || extension == "jpeg")
        return "JPGImageCodec";
    return nullptr;
}

// The capture comes top row first; the image codecs take the bottom row
// first, as their files store it.
void FlipRows(Image& image)
{
    uint8_t* data = image.GetData();
    const size_t row = static_cast<size_t>(image.GetWidth()) * image.GetBytesPerPixel();
    if (!data || row == 0)
        return;
    std::vector<uint8_t> swap(row);
    for (uint32_t top = 0, bottom = image.GetHeight(); top + 1 < bottom; ++top, --bottom)
    {
        uint8_t* a = data + row * top;
        uint8_t* b = data + row * (bottom - 1);
        std::memcpy(swap.data(), a, row);
        std::memcpy(a, b, row);
        std::memcpy(b, swap.data(), row);
    }
}

} // namespace

Automation Automation::FromEnvironment()
{
    Automation automation;

    if (const char* value = std::getenv("VERNALIA_HEADLESS"))
    {
        if (value[0] == '1' && value[1] == 0)
            automation.headless = true;
        else if (!(value[0] == '0' && value[1] == 0) && value[0] != 0)
            Ignore("VERNALIA_HEADLESS", value);
    }

    if (const char* value = std::getenv("VERNALIA_FRAMES"))
    {
        long long frames = 0;
        if (ParseInteger(value, 0, INT64_MAX, frames))
            automation.frameLimit = frames;
        else
            Ignore("VERNALIA_FRAMES", value);
    }

    if (const char* value = std::getenv("VERNALIA_TIME_STEP"))
    {
        char* end = nullptr;
        double step = std::strtod(value, &end);
        if (*value && *end == 0 && step >= 0.0 && step <= 3600.0)
            automation.timeStep = step;
        else
            Ignore("VERNALIA_TIME_STEP", value);
    }

    if (const char* value = std::getenv("VERNALIA_SEED"))
    {
        long long seed = 0;
        if (ParseInteger(value, 0, UINT32_MAX, seed))
        {
            automation.seedFixed = true;
            automation.seed = static_cast<uint32_t>(seed);
        }
        else
            Ignore("VERNALIA_SEED", value);
    }

    if (const char* value = std::getenv("VERNALIA_CLOCK"))
    {
        int hour = -1, minute = -1, second = -1;
        char tail = 0;
        if (std::sscanf(value, "%2d:%2d:%2d%c", &hour, &minute, &second, &tail) == 3 && hour >= 0 &&
            hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60)
        {
            automation.clockFixed = true;
            automation.hour = hour;
            automation.minute = minute;
            automation.second = second;
        }
        else
            Ignore("VERNALIA_CLOCK", value);
    }

    if (const char* value = std::getenv("VERNALIA_CAPTURE"))
    {
        std::string checked;
        if (CaptureCodecName(value) && ExpandCapturePattern(value, 1, checked))
            automation.capturePattern = value;
        else
            Ignore("VERNALIA_CAPTURE", value);
    }

    if (const char* value = std::getenv("VERNALIA_CAPTURE_EVERY"))
    {
        long long every = 0;
        if (ParseInteger(value, 1, INT64_MAX, every))
            automation.captureEvery = every;
        else
            Ignore("VERNALIA_CAPTURE_EVERY", value);
    }

    if (const char* value = std::getenv("VERNALIA_SIZE"))
    {
        const std::string_view text(value);
        const size_t x = text.find('x');
        int32_t width = 0, height = 0;
        if (x != std::string_view::npos && ParseDesktopSide(text.substr(0, x), width) &&
            ParseDesktopSide(text.substr(x + 1), height))
        {
            automation.desktopWidth = width;
            automation.desktopHeight = height;
        }
        else
            Ignore("VERNALIA_SIZE", value);
    }

    if (const char* value = std::getenv("VERNALIA_CAMERA"))
    {
        if (*value)
            automation.cameraName = value;
        else
            Ignore("VERNALIA_CAMERA", value);
    }

    if (const char* value = std::getenv("VERNALIA_KEYS"))
    {
        // Each entry stands alone: a malformed one is logged and skipped.
        std::string_view rest(value);
        while (!rest.empty())
        {
            const size_t comma = rest.find(',');
            const std::string entry(rest.substr(0, comma));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            const size_t at = entry.find('@');
            long long frame = 0;
            const int32_t key = at == std::string::npos ? -1 : ParseKeyName(std::string_view(entry).substr(0, at));
            if (key >= 0 && ParseInteger(entry.c_str() + at + 1, 1, INT64_MAX, frame))
                automation.keys.push_back({key, static_cast<uint64_t>(frame)});
            else
                Ignore("VERNALIA_KEYS", entry.c_str());
        }
    }
    if (const char* value = std::getenv("VERNALIA_FEED_SERVER"))
    {
        // Checked where it is used, like the settings' value it replaces.
        if (*value)
            automation.feedServer = value;
        else
            Ignore("VERNALIA_FEED_SERVER", value);
    }
    return automation;
}

int32_t ParseKeyName(std::string_view name)
{
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z')
        return EngineKey::Letter(name[0]);
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9')
        return EngineKey::kDigit0 + (name[0] - '0');
    if (name == "Escape")
        return EngineKey::kEscape;
    if (name == "Space")
        return EngineKey::kSpace;
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' && name[1] >= '1' && name[1] <= '9' &&
        name.find_first_not_of("0123456789", 1) == std::string_view::npos)
    {
        const int number = name.size() == 2 ? name[1] - '0' : (name[1] - '0') * 10 + (name[2] - '0');
        if (number <= 12)
            return EngineKey::Function(number);
    }
    return -1;
}

void Automation::PressKeys(uint64_t frame) const
{
    for (const KeyPress& press : keys)
        if (press.frame == frame)
            InputManager::AddInputEvent(InputEvent{InputEvent::kKeyboard, InputEvent::kPress, press.key, 0});
}

void Automation::AfterLoadingScreen(Renderer* renderer) const
{
    std::string path;
    if (capturePattern.empty() || captureEvery <= 0 || !ExpandCapturePattern(capturePattern, 0, path))
        return;
    SaveScreenCapture(renderer, path);
}

void Automation::AfterFrame(Renderer* renderer, uint64_t frame) const
{
    std::string path;
    if (capturePattern.empty() || captureEvery <= 0 || frame % static_cast<uint64_t>(captureEvery) != 0 ||
        !ExpandCapturePattern(capturePattern, frame, path))
        return;
    SaveScreenCapture(renderer, path);
}

void Automation::AfterShow(Renderer* renderer, uint64_t framesDrawn) const
{
    // Nothing has drawn since the last frame, so the back buffer still
    // holds it however the show ended.
    std::string path;
    if (capturePattern.empty() || captureEvery > 0 || framesDrawn == 0 ||
        !ExpandCapturePattern(capturePattern, framesDrawn, path))
        return;
    SaveScreenCapture(renderer, path);
}

bool ExpandCapturePattern(const std::string& pattern, uint64_t frame, std::string& path)
{
    const std::string number = std::to_string(frame);
    path.clear();
    path.reserve(pattern.size() + 16);
    for (size_t i = 0; i < pattern.size(); ++i)
    {
        if (pattern[i] != '%')
        {
            path += pattern[i];
            continue;
        }
        const std::string_view rest = std::string_view(pattern).substr(i + 1);
        if (rest.starts_with('%'))
        {
            path += '%';
            i += 1;
        }
        else if (rest.starts_with('d'))
        {
            path += number;
            i += 1;
        }
        else if (rest.size() >= 3 && rest[0] == '0' && rest[1] >= '1' && rest[1] <= '9' && rest[2] == 'd')
        {
            const size_t width = static_cast<size_t>(rest[1] - '0');
            path.append(number.size() < width ? width - number.size() : 0, '0');
            path += number;
            i += 3;
        }
        else
            return false;
    }
    return true;
}

int32_t SaveScreenCapture(Renderer* renderer, const std::string& path)
{
    const char* codecName = CaptureCodecName(path);
    Codec* codec = nullptr;
    if (!codecName || CodecManager::GetCodec(String(codecName), &codec) != 0 || !codec ||
        codec->GetCodecType() != Codec::kImageCodec)
    {
        LogWarning("Нет кодека для сохранения снимка экрана в файл [%s].", path.c_str());
        return 3;
    }
    Image* taken = nullptr;
    if (!renderer || renderer->CaptureScreen(&taken) != 0 || !taken)
    {
        LogWarning("Невозможно сохранить снимок экрана в файл [%s]: снимок не получен.", path.c_str());
        return 1;
    }
    Ptr<Image> image = taken;
    FlipRows(*image);
    File file{String(path.c_str())};
    if (codec->SaveImage(&file, image.Get()) != 0)
    {
        LogWarning("Невозможно сохранить снимок экрана в файл [%s].", path.c_str());
        return 1;
    }
    LogInfo("Снимок экрана сохранён в файл [%s].", path.c_str());
    return 0;
}

void GetLocalClock(const Automation& automation, int32_t& hour, int32_t& minute, int32_t& second)
{
    if (automation.clockFixed)
    {
        hour = automation.hour;
        minute = automation.minute;
        second = automation.second;
        return;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    hour = local.tm_hour;
    minute = local.tm_min;
    second = local.tm_sec;
}
