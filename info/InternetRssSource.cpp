#include "info/InternetRssSource.h"

#include <atomic>
#include <cctype>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <system_error>

#include "engine/core/Log.h"
#include "info/RssReader.h"

// What the source and its workers share; a worker holds it, so it outlives
// a source that let the worker go.
struct InternetRssSource::Shared
{
    std::mutex lock;
    std::condition_variable changed; // a download finished
    std::deque<Message> queue;
    bool active = false;
    float retryDelay = 0.0f;
    uint32_t downloads = 0;
};

// One worker's stop flag and end, so an old worker never touches the queue
// of a later one.
struct InternetRssSource::Job
{
    std::atomic<bool> stop{false};
    bool done = false; // under Shared::lock
};

namespace
{

// The download steps, to standard error when VERNALIA_TRACE_FEEDS=1.
void Trace(const std::string& text)
{
    static const bool tracing = [] {
        const char* value = std::getenv("VERNALIA_TRACE_FEEDS");
        return value && std::string(value) == "1";
    }();
    if (tracing)
        std::fputs(text.c_str(), stderr);
}

// The whole body at url, or empty (a failed or cut transfer gives nothing).
std::string FetchPage(const std::string& url, const platform::HttpLimits& limits, const std::atomic<bool>& stop,
                      const std::string& name)
{
    if (url.empty())
        return std::string();
    Trace("Thread " + name + "  Get page...\n");
    long status = 0;
    std::string body;
    std::string reason;
    if (platform::HttpGet(url, InternetRssSource::kAgent, limits, &stop, status, body, reason) != 0)
        return std::string();
    Trace("Thread " + name + "  Page getted...\n");
    Trace("readed: \n" + body + "\n");
    return body;
}

std::string FetchFeed(const std::string& url, const platform::HttpLimits& limits, const std::atomic<bool>& stop,
                      const std::string& name)
{
    Trace("Thread " + name + "  Opening internet...\n");
    Trace("Thread " + name + "  Internet opened.\n");
    std::string body = FetchPage(url, limits, stop, name);
    Trace("Thread " + name + "  Closing internet...\n");
    Trace("Thread " + name + "  Internet closed.\n");
    return body;
}

} // namespace

InternetRssSource::InternetRssSource(const String& name, const String& address)
    : MessageSource(name), shared(std::make_shared<Shared>()), url(address.CStr())
{
    platform::HttpStartup();
}

InternetRssSource::~InternetRssSource()
{
    SetEnabled(false);
}

int32_t InternetRssSource::ParseRssItems(const char* bytes, size_t size, std::vector<std::string>& texts,
                                         std::string& reason)
{
    texts.clear();
    std::vector<std::string> descriptions;
    if (rss::ReadDescriptions(bytes, size, descriptions, reason) != 0)
        return 1;
    std::string text;
    for (const std::string& description : descriptions)
        if (texts.size() < kMaxQueued && rss::ConvertFeedItem(description, text))
            texts.push_back(text);
    return 0;
}

void InternetRssSource::StartWorker()
{
    if (worker.joinable())
        worker.join(); // it has ended
    job = std::make_shared<Job>();
    Trace("\tBegin New Thread\n");
    try
    {
        worker = std::thread([shared = shared, job = job, name = std::string(name.CStr()), url = url,
                              limits = limits] {
            if (!job->stop)
            {
                Trace(" RSS Start loading...\n");
                const std::string body = FetchFeed(url, limits, job->stop, name);
                std::vector<std::string> texts;
                std::string reason;
                if (!body.empty())
                    ParseRssItems(body.data(), body.size(), texts, reason);
                std::lock_guard<std::mutex> guard(shared->lock);
                size_t queued = 0;
                for (const std::string& text : texts)
                {
                    if (job->stop || shared->queue.size() >= kMaxQueued)
                        break;
                    shared->queue.push_back({String(name.c_str()), String(std::string_view(text))});
                    ++queued;
                }
                // Nothing to show: not again before the delay, however
                // the download failed.
                if (queued == 0)
                    shared->retryDelay = kRetryDelay;
                Trace(" RSS Loaded\n");
            }
            std::lock_guard<std::mutex> guard(shared->lock);
            job->done = true;
            ++shared->downloads;
            shared->changed.notify_all();
        });
    }
    catch (const std::system_error&)
    {
        LogWarning("Невозможно создать поток загрузки ленты [%s].", name.CStr());
        job->done = true;
    }
}

void InternetRssSource::StopWorker()
{
    if (!job)
        return;
    std::shared_ptr<Job> stopping = std::move(job);
    std::unique_lock<std::mutex> guard(shared->lock);
    const bool ended = shared->changed.wait_for(guard, kStopWait, [&] { return stopping->done; });
    guard.unlock();
    if (!worker.joinable())
        return;
    if (ended)
        worker.join();
    else
        worker.detach(); // it holds what it touches; its items are dropped
}

void InternetRssSource::SetEnabled(bool value)
{
    {
        std::lock_guard<std::mutex> guard(shared->lock);
        if (shared->active == value)
            return;
        shared->active = value;
        if (value)
        {
            Trace("Activate " + std::string(name.CStr()) + "Create Thread\n");
            StartWorker();
            return;
        }
        Trace("Deativate " + std::string(name.CStr()) + " Terminate Thread\n");
        if (job)
            job->stop = true;
        shared->queue.clear();
    }
    StopWorker();
}

bool InternetRssSource::IsEnabled()
{
    std::lock_guard<std::mutex> guard(shared->lock);
    return shared->active;
}

bool InternetRssSource::GetNextMessage(Message& out)
{
    std::lock_guard<std::mutex> guard(shared->lock);
    Trace("Get Message " + std::string(name.CStr()) + "\n");
    bool result = false;
    if (!shared->queue.empty())
    {
        out = std::move(shared->queue.front());
        shared->queue.pop_front();
        result = true;
    }
    if (shared->queue.size() < kRefillBelow && job && shared->retryDelay == 0.0f)
    {
        if (job->done)
            StartWorker();
        else
            Trace("\tThread Still Active\n");
    }
    return result;
}

void InternetRssSource::Update(float seconds)
{
    if (!std::isfinite(seconds))
        return;
    std::lock_guard<std::mutex> guard(shared->lock);
    shared->retryDelay -= seconds;
    if (!(shared->retryDelay >= 0.0f))
        shared->retryDelay = 0.0f;
}

uint32_t InternetRssSource::GetQueuedCount()
{
    std::lock_guard<std::mutex> guard(shared->lock);
    return static_cast<uint32_t>(shared->queue.size());
}

float InternetRssSource::GetRetryDelay()
{
    std::lock_guard<std::mutex> guard(shared->lock);
    return shared->retryDelay;
}

uint32_t InternetRssSource::GetDownloadCount()
{
    std::lock_guard<std::mutex> guard(shared->lock);
    return shared->downloads;
}

bool InternetRssSource::WaitForDownloads(uint32_t count, std::chrono::milliseconds bound)
{
    std::unique_lock<std::mutex> guard(shared->lock);
    return shared->changed.wait_for(guard, bound, [&] { return shared->downloads >= count; });
}

bool IsFeedServerAddress(std::string_view address)
{
    size_t at = 0;
    if (address.substr(0, 7) == "http://")
        at = 7;
    else if (address.substr(0, 8) == "https://")
        at = 8;
    else
        return false;
    std::string_view rest = address.substr(at);
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    const size_t colon = rest.find(':');
    const std::string_view host = rest.substr(0, colon);
    if (host.empty() || host.front() == '.' || host.front() == '-')
        return false;
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-')
            return false;
    if (colon == std::string_view::npos)
        return true;
    const std::string_view port = rest.substr(colon + 1);
    if (port.empty() || port.size() > 5)
        return false;
    uint32_t number = 0;
    for (char c : port)
    {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<uint32_t>(c - '0');
    }
    return number >= 1 && number <= 65535;
}
