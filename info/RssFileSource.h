#pragma once
#include <cstdint>
#include <vector>

#include "info/MessageSource.h"

// A group of messages from a local RSS file (the facts shipped in the
// archives), shown in random order without repeating the last one.
class RssFileSource : public MessageSource
{
public:
    // Reads the file through the file manager; a file that is missing or
    // not RSS gives a group without messages (logged).
    RssFileSource(const String& name, const String& fileName);
    // The same from a document already in memory.
    RssFileSource(const String& name, const char* bytes, size_t size);

    void SetEnabled(bool enabled) override;
    bool IsEnabled() override { return enabled; }
    bool GetNextMessage(Message& out) override;
    void Update(float) override {}

    uint32_t GetItemCount() const { return static_cast<uint32_t>(items.size()); }

private:
    // Appends the items of the document; false when it is not RSS.
    bool Read(const char* bytes, size_t size, const char* fileName);

    std::vector<Message> items;
    bool enabled = false;
    uint32_t lastShown = 0;
};
