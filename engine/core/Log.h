#pragma once
#include <cstdint>

#include <cstdio>

#include "engine/core/MessageOutput.h"
#include "engine/core/String.h"

// Message levels: the numbers are printed and compared.
enum LogLevel : int32_t
{
    kLogInfo = 0,
    kLogWarning = 1,
    kLogError = 2,
    kLogCritical = 3,
};

// The four logging calls: format once (at most 4095 bytes, longer text is
// cut) and hand the text to every registered output in registration order.
// With no output registered a message is formatted and dropped.
void LogInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogCritical(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Takes a reference to the output; 0, or 3 for a null output. Registering an
// output twice keeps one entry and says so through it.
int32_t RegisterMessageOutput(MessageOutput* output);

// Drops the registry's reference after the output has seen its own
// unregistration line; 3 when it was not registered.
int32_t UnregisterMessageOutput(MessageOutput* output);

// Number of registered outputs (for tests and shutdown checks).
uint32_t GetMessageOutputCount();

// The file output: one line per message with its level prefix, through the C
// stream's own buffering. A file that cannot be opened makes every Output a
// no-op; nothing else is reported.
class Log : public MessageOutput
{
public:
    // Opens (creates or truncates) path in text mode unless it is empty;
    // something other than a regular file there (a FIFO) is not opened. The
    // output is named name, or path when name is empty.
    Log(const String& path, const String& name);
    ~Log() override;

    void Output(int32_t level, const String& text) override;

    bool IsOpen() const { return file != nullptr; }

private:
    FILE* file = nullptr;
};
