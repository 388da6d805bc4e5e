#include "engine/core/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstring>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"

namespace
{

constexpr size_t kMessageBytes = 4096;

// fopen(path, "w") that never waits: a FIFO in the log's place would hold
// the start until somebody read it. Only a regular file is taken (and only
// then emptied); anything else is a file that cannot be opened.
FILE* OpenLogFile(const char* path)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0)
        return nullptr;
    struct stat info{};
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ftruncate(fd, 0) != 0 || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
    {
        ::close(fd);
        return nullptr;
    }
    FILE* file = fdopen(fd, "w");
    if (!file)
        ::close(fd);
    return file;
}

// The registry lives from static initialisation to static destruction. Once
// destroyed, later messages (from other static destructors) are dropped
// instead of reaching a dead array.
struct OutputRegistry
{
    Array<Ptr<MessageOutput>> outputs{1, 1};
    bool alive = true;

    ~OutputRegistry()
    {
        alive = false;
        // Release one at a time so an output's destructor that logs sees a
        // consistent registry.
        while (outputs.Count() > 0)
        {
            Ptr<MessageOutput> last = outputs[outputs.Count() - 1];
            outputs.RemoveAt(outputs.Count() - 1);
        }
    }
};

OutputRegistry& Registry()
{
    static OutputRegistry registry;
    return registry;
}

// Looks an output up by address. A temporary holder here would take and drop
// a reference, destroying an output that nobody holds yet.
int32_t IndexOf(OutputRegistry& registry, const MessageOutput* output)
{
    for (uint32_t i = 0; i < registry.outputs.Count(); ++i)
        if (registry.outputs[i].Get() == output)
            return static_cast<int32_t>(i);
    return -1;
}

void Emit(int32_t level, const char* format, va_list arguments)
{
    char buffer[kMessageBytes];
    int written = std::vsnprintf(buffer, sizeof(buffer), format, arguments);
    if (written < 0)
        buffer[0] = 0;

    OutputRegistry& registry = Registry();
    if (!registry.alive || registry.outputs.Count() == 0)
        return;
    const String text(buffer, static_cast<uint32_t>(std::strlen(buffer)));
    // The count is read anew each step: an output registered while the loop
    // runs is served too.
    for (uint32_t i = 0; i < registry.outputs.Count(); ++i)
    {
        Ptr<MessageOutput> output = registry.outputs[i];
        output->Output(level, text);
    }
}

} // namespace

#define VERNALIA_EMIT(level)                       \
    va_list arguments;                             \
    va_start(arguments, format);                   \
    Emit(level, format, arguments);                \
    va_end(arguments)

void LogInfo(const char* format, ...) { VERNALIA_EMIT(kLogInfo); }
void LogWarning(const char* format, ...) { VERNALIA_EMIT(kLogWarning); }
void LogError(const char* format, ...) { VERNALIA_EMIT(kLogError); }
void LogCritical(const char* format, ...) { VERNALIA_EMIT(kLogCritical); }

int32_t RegisterMessageOutput(MessageOutput* output)
{
    if (!output)
        return 3;
    OutputRegistry& registry = Registry();
    if (IndexOf(registry, output) >= 0)
    {
        LogWarning("Объект вывода сообщений уже зарегестрирован. [%s]", output->GetName().CStr());
        return 0;
    }
    registry.outputs.Append(Ptr<MessageOutput>(output));
    LogInfo("Объект вывода сообщений зарегестрирован. [%s]", output->GetName().CStr());
    return 0;
}

int32_t UnregisterMessageOutput(MessageOutput* output)
{
    OutputRegistry& registry = Registry();
    int32_t index = output ? IndexOf(registry, output) : -1;
    if (index < 0)
        return 3;
    LogInfo("Объект вывода сообщений разрегестрирован. [%s]", output->GetName().CStr());
    // The line above may have changed nothing about the index: outputs are
    // never removed while logging.
    Ptr<MessageOutput> keep = registry.outputs[static_cast<uint32_t>(index)];
    registry.outputs.RemoveAt(static_cast<uint32_t>(index));
    return 0;
}

uint32_t GetMessageOutputCount()
{
    return Registry().outputs.Count();
}

Log::Log(const String& path, const String& name)
    : MessageOutput(name.IsEmpty() ? path : name)
{
    if (!path.IsEmpty())
        file = OpenLogFile(path.CStr());
}

Log::~Log()
{
    if (file)
        std::fclose(file);
}

void Log::Output(int32_t level, const String& text)
{
    if (!file)
        return;
    const char* format;
    switch (level)
    {
    case kLogInfo: format = "INFO. %s\n"; break;
    case kLogWarning: format = "WARNING. %s\n"; break;
    case kLogError: format = "ERROR. %s\n"; break;
    case kLogCritical: format = "CRITICAL ERROR. %s\n"; break;
    default: format = "UNKNOWN. %s\n"; break;
    }
    std::fprintf(file, format, text.CStr());
}
