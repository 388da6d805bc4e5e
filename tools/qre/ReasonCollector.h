#pragma once
#include <string>
#include <vector>

#include "engine/core/Log.h"

// Keeps the log's warnings and errors while a file loads: the reason a load
// failed, or what a load that worked put up with; the tool prints both.
class ReasonCollector : public MessageOutput
{
public:
    explicit ReasonCollector(std::vector<std::string>& reasons) : MessageOutput(String("qre")), reasons(reasons) {}

    void Output(int32_t level, const String& text) override
    {
        if (level != kLogInfo)
            reasons.emplace_back(text.CStr(), text.Length());
    }

private:
    std::vector<std::string>& reasons;
};
