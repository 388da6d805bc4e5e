#include "platform/HttpGet.h"

#include <curl/curl.h>

#include <mutex>

namespace
{

// The library's global state: set up once, torn down once no download runs.
std::mutex globalLock;
bool started = false;
int running = 0;

struct Transfer
{
    std::string* body;
    size_t maxBody;
    const std::atomic<bool>* stop;
    bool tooLarge = false;
};

size_t OnData(char* data, size_t size, size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if ((transfer.stop && transfer.stop->load()) || transfer.body->size() + bytes > transfer.maxBody)
    {
        transfer.tooLarge = !(transfer.stop && transfer.stop->load());
        return 0; // ends the transfer
    }
    transfer.body->append(data, bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto& transfer = *static_cast<Transfer*>(user);
    return transfer.stop && transfer.stop->load() ? 1 : 0;
}

} // namespace

namespace platform
{

void HttpStartup()
{
    std::lock_guard<std::mutex> guard(globalLock);
    if (started)
        return;
    started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

void HttpShutdown()
{
    std::lock_guard<std::mutex> guard(globalLock);
    if (started && running == 0)
    {
        curl_global_cleanup();
        started = false;
    }
}

int32_t HttpGet(const std::string& url, const char* agent, const HttpLimits& limits,
                const std::atomic<bool>* stop, long& status, std::string& body, std::string& reason)
{
    status = 0;
    body.clear();
    {
        std::lock_guard<std::mutex> guard(globalLock);
        if (!started)
        {
            reason = "the HTTP library is not running";
            return 1;
        }
        ++running;
    }
    CURL* handle = curl_easy_init();
    CURLcode code = CURLE_FAILED_INIT;
    Transfer transfer{&body, limits.maxBody, stop};
    curl_slist* headers = nullptr;
    if (handle)
    {
        headers = curl_slist_append(headers, "Cache-Control: no-cache");
        headers = curl_slist_append(headers, "Pragma: no-cache");
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_USERAGENT, agent);
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(handle, CURLOPT_PROXY, "");
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, limits.maxRedirects);
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, 4096L);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
        curl_easy_setopt(handle, CURLOPT_TIMEOUT, limits.totalSeconds);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &OnData);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &OnProgress);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        code = curl_easy_perform(handle);
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    }
    int32_t result = 0;
    if (code != CURLE_OK || status >= 400)
    {
        reason = transfer.tooLarge  ? "the body is larger than the limit"
                 : code != CURLE_OK ? curl_easy_strerror(code)
                                    : "status " + std::to_string(status);
        body.clear();
        body.shrink_to_fit();
        result = 1;
    }
    curl_slist_free_all(headers);
    if (handle)
        curl_easy_cleanup(handle);
    std::lock_guard<std::mutex> guard(globalLock);
    --running;
    return result;
}

} // namespace platform
