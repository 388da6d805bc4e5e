#include "info/RssFileSource.h"

#include <cstdlib>
#include <string>

#include "engine/core/Log.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "info/RssReader.h"

RssFileSource::RssFileSource(const String& name, const String& fileName) : MessageSource(name)
{
    File* file = FileManager::FindFile(fileName);
    if (!file || file->Open(File::kRead) != 0)
    {
        // Not a fault of the show: the group simply has nothing to say.
        LogInfo("Невозможно открыть файл сообщений [%s].", fileName.CStr());
        return;
    }
    Read(reinterpret_cast<const char*>(file->GetBuffer()), file->GetSize(), fileName.CStr());
    file->Close();
}

RssFileSource::RssFileSource(const String& name, const char* bytes, size_t size) : MessageSource(name)
{
    Read(bytes, size, "");
}

bool RssFileSource::Read(const char* bytes, size_t size, const char* fileName)
{
    std::vector<std::string> descriptions;
    std::string reason;
    if (rss::ReadDescriptions(bytes, size, descriptions, reason) != 0)
    {
        LogWarning("Файл сообщений [%s] не прочитан: %s.", fileName, reason.c_str());
        return false;
    }
    for (const std::string& description : descriptions)
    {
        const std::string text = rss::ConvertFactText(description);
        items.push_back({name, String(std::string_view(text))});
    }
    return true;
}

void RssFileSource::SetEnabled(bool value)
{
    enabled = value;
    lastShown = 0;
}

bool RssFileSource::GetNextMessage(Message& out)
{
    if (!enabled || items.empty())
        return false;
    uint32_t index = 0;
    if (items.size() > 1)
    {
        // Never the same fact twice in a row.
        do
            index = static_cast<uint32_t>(std::rand()) % static_cast<uint32_t>(items.size());
        while (index == lastShown);
    }
    lastShown = index;
    out = items[index];
    return true;
}
