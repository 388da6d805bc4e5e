#pragma once
#include <atomic>
#include <cstddef>
#include <string>

namespace platform
{

// What one download may cost before it is given up.
struct HttpLimits
{
    long connectSeconds = 10;
    long totalSeconds = 60;
    // A transfer slower than lowSpeedBytes per second for lowSpeedSeconds
    // is stalled.
    long lowSpeedBytes = 1;
    long lowSpeedSeconds = 15;
    size_t maxBody = 1024 * 1024;
    long maxRedirects = 5;
};

// The one-time set-up of the HTTP library; call on the main thread before
// any download starts. Later calls change nothing.
void HttpStartup();
// Its tear-down, at the end of the show. When a download is still running
// (a worker that outlived its wait) it is skipped; downloads after it fail
// at once until HttpStartup runs again.
void HttpShutdown();

// GETs an http or https address afresh (no cached copy, no proxy,
// redirects followed within the limits) with this user agent. 0 with the
// status and the whole body; 1 when the transfer fails, is cut by the
// limits or by stop, or the status is 400 or above, with an empty body and
// the reason. stop is polled about once a second and on every chunk.
int32_t HttpGet(const std::string& url, const char* agent, const HttpLimits& limits,
                const std::atomic<bool>* stop, long& status, std::string& body, std::string& reason);

} // namespace platform
