#pragma once
// An HTTP server on 127.0.0.1 for the feed tests: it answers every request
// the same way (a whole response, headers then a stall, or a body without
// end), counts the requests and lets a test wait for them. Stopping it ends
// every connection at once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalHttpServer
{
public:
    enum Kind
    {
        kWhole,   // status and body, then close
        kStall,   // headers promising a body, then nothing until closed
        kEndless, // a body of blanks until the client hangs up
    };

    LocalHttpServer(Kind kind = kWhole, int status = 200, std::string body = std::string())
        : kind(kind), status(status), body(std::move(body))
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(listener, 16) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port = ntohs(address.sin_port);
        acceptor = std::thread([this] { Accept(); });
    }
    ~LocalHttpServer() { Stop(); }
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // "http://127.0.0.1:PORT"; 0 as the port when the socket failed.
    std::string Address() const { return "http://127.0.0.1:" + std::to_string(port); }
    std::string Url(const char* path = "/rss/bbcnews.rss") const { return Address() + path; }

    // The body served from now on.
    void SetBody(std::string newBody)
    {
        std::lock_guard<std::mutex> guard(lock);
        body = std::move(newBody);
    }

    int Requests()
    {
        std::lock_guard<std::mutex> guard(lock);
        return requests;
    }
    // Waits until count requests have come, at most bound.
    bool WaitForRequests(int count, std::chrono::milliseconds bound)
    {
        std::unique_lock<std::mutex> guard(lock);
        return arrived.wait_for(guard, bound, [&] { return requests >= count; });
    }

    void Stop()
    {
        if (stopping.exchange(true))
            return;
        if (acceptor.joinable())
            acceptor.join();
        for (std::thread& connection : connections)
            connection.join();
        if (listener >= 0)
            ::close(listener);
    }

    // A port on which nothing listens.
    static uint16_t ClosedPort()
    {
        LocalHttpServer probe;
        const uint16_t free = probe.port;
        probe.Stop();
        return free;
    }

private:
    // Waits for fd to be readable (or hung up) for up to ms; false on
    // time-out or when the server stops.
    bool Readable(int fd, int ms)
    {
        pollfd entry{fd, POLLIN, 0};
        return !stopping && ::poll(&entry, 1, ms) > 0;
    }

    void Accept()
    {
        while (!stopping)
        {
            if (!Readable(listener, 20))
                continue;
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                connections.emplace_back([this, fd] { Serve(fd); });
        }
    }

    bool Send(int fd, const std::string& bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size() && !stopping)
        {
            pollfd entry{fd, POLLOUT, 0};
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += static_cast<size_t>(n);
        }
        return sent == bytes.size();
    }

    void Serve(int fd)
    {
        std::string request;
        char chunk[1024];
        while (request.find("\r\n\r\n") == std::string::npos && Readable(fd, 1000))
        {
            const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
            if (n <= 0)
                break;
            request.append(chunk, static_cast<size_t>(n));
        }
        std::string served;
        {
            std::lock_guard<std::mutex> guard(lock);
            ++requests;
            lastRequest = request;
            served = body;
        }
        arrived.notify_all();
        const std::string head = "HTTP/1.1 " + std::to_string(status) + " Status\r\nConnection: close\r\n";
        if (kind == kWhole)
            Send(fd, head + "Content-Length: " + std::to_string(served.size()) + "\r\n\r\n" + served);
        else if (kind == kStall)
        {
            Send(fd, head + "Content-Length: 1000\r\n\r\n");
            while (!stopping)
                if (Readable(fd, 20) && ::recv(fd, chunk, sizeof(chunk), 0) <= 0)
                    break; // the client hung up
        }
        else
        {
            Send(fd, head + "\r\n");
            const std::string blanks(65536, ' ');
            while (Send(fd, blanks))
            {
            }
        }
        ::close(fd);
    }

    Kind kind;
    int status;
    std::string body;
    int listener = -1;
    uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::thread acceptor;
    std::vector<std::thread> connections; // touched by the acceptor, then by Stop after it ends
    std::mutex lock;
    std::condition_variable arrived;
    int requests = 0;

public:
    std::string lastRequest; // under lock while the server runs
};
