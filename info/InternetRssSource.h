#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "info/MessageSource.h"
#include "platform/HttpGet.h"

// A group of messages from an RSS feed on the internet. Enabling it starts a
// download on a worker thread, which queues the feed's short items; the
// window takes them one by one and the source downloads again when few are
// left. The frame never waits for the network: the worker shares only the
// queue, its lock and its stop flag with the source, and a worker that does
// not end within the stop wait is left to finish on its own, its results
// dropped.
class InternetRssSource : public MessageSource
{
public:
    // below this many queued items a new download starts
    static constexpr uint32_t kRefillBelow = 10;
    // seconds before a download that queued nothing is tried again
    static constexpr float kRetryDelay = 60.0f;
    // how long disabling waits for the worker to end
    static constexpr std::chrono::milliseconds kStopWait{5000};
    // the most items one source keeps queued
    static constexpr size_t kMaxQueued = 256;
    // the user agent of every request
    static constexpr const char* kAgent = "QW SCREENSAVER";

    // url is the feed's whole address; empty: the source never downloads.
    InternetRssSource(const String& name, const String& url);
    // Stops the worker as disabling does.
    ~InternetRssSource() override;

    void SetEnabled(bool enabled) override;
    bool IsEnabled() override;
    bool GetNextMessage(Message& out) override;
    void Update(float seconds) override;

    uint32_t GetQueuedCount();
    float GetRetryDelay();
    // Downloads finished (whatever they gave) since the source was made.
    uint32_t GetDownloadCount();
    // Waits until that many downloads have finished, at most bound; false
    // when they have not.
    bool WaitForDownloads(uint32_t count, std::chrono::milliseconds bound);
    // The download's limits; tests shorten them.
    void SetLimits(const platform::HttpLimits& newLimits) { limits = newLimits; }

    // The texts a feed document gives, as a download queues them (the
    // conversion and the limits applied, at most kMaxQueued): 0; 1 with
    // the reason when it is no RSS feed.
    static int32_t ParseRssItems(const char* bytes, size_t size, std::vector<std::string>& texts,
                                 std::string& reason);

private:
    struct Shared;
    struct Job;
    // Starts a download on a new worker; with shared's lock held.
    void StartWorker();
    // Stops the worker, waits for it at most kStopWait; without the lock.
    void StopWorker();

    std::shared_ptr<Shared> shared;
    std::shared_ptr<Job> job; // the current worker's; null when none
    std::thread worker;
    std::string url;
    platform::HttpLimits limits;
};

// Whether a feed server setting is only a scheme (http or https), a host and
// perhaps a port, as the show accepts it.
bool IsFeedServerAddress(std::string_view address);
