#pragma once
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/core/Ptr.h"

// Collects every message logged while it is alive, so tests can check the
// exact lines a failure leaves behind.
class LogCapture
{
public:
    struct Line
    {
        int32_t level;
        std::string text;
    };

    // Starts empty: its own registration line is not kept.
    LogCapture() : output(new Sink(this))
    {
        RegisterMessageOutput(output.Get());
        lines.clear();
    }
    ~LogCapture()
    {
        UnregisterMessageOutput(output.Get());
        output->owner = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<Line>& Lines() const { return lines; }
    void Clear() { lines.clear(); }

    // True when some line contains text (Windows-1251 bytes, as logged).
    bool Contains(const char* text) const
    {
        for (const Line& line : lines)
            if (line.text.find(text) != std::string::npos)
                return true;
        return false;
    }

    size_t Count(const char* text) const
    {
        size_t count = 0;
        for (const Line& line : lines)
            if (line.text.find(text) != std::string::npos)
                ++count;
        return count;
    }

private:
    struct Sink : MessageOutput
    {
        explicit Sink(LogCapture* owner) : MessageOutput(String("LogCapture")), owner(owner) {}
        void Output(int32_t level, const String& text) override
        {
            if (owner)
                owner->lines.push_back({level, std::string(text.CStr(), text.Length())});
        }
        LogCapture* owner; // back pointer; cleared before the capture goes
    };

    Ptr<Sink> output;
    std::vector<Line> lines;
};
