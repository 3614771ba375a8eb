#pragma once
// A tiny HTTP server for the update check tests: listens on 127.0.0.1 at an
// ephemeral port, in a thread of its own, and answers every connection the
// same way. It stops by itself after `lifetime`, or when destroyed.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/unique_fd.h"

namespace quen::test {

class LocalHttpServer {
public:
    enum class Mode {
        Respond,      // status line, Content-Length, the body
        CloseAtOnce,  // closes each connection as soon as it is accepted
        NeverAnswer,  // reads the request and then stays silent
        Flood,        // the body, then `fill` repeated until `flood_bytes` are sent
    };
    struct Reply {
        Mode mode = Mode::Respond;
        int status = 200;
        std::string body;
        std::string fill;
        std::uint64_t flood_bytes = 0;
    };

    explicit LocalHttpServer(Reply reply, std::chrono::milliseconds lifetime = std::chrono::seconds(20));
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool ok() const { return listen_fd_.valid(); }
    std::uint16_t port() const { return port_; }
    std::string url(const std::string& path = "/win-update.xml") const;

    std::uint64_t bytes_sent() const { return bytes_sent_; }
    int connections() const { return connections_; }
    std::string first_request() const;  // the first request's head, as received

    // A port on 127.0.0.1 with nobody listening (bound, then released).
    static std::uint16_t closed_port();

private:
    void run(std::chrono::steady_clock::time_point deadline);
    void serve(int fd, std::chrono::steady_clock::time_point deadline);
    bool stopping(std::chrono::steady_clock::time_point deadline) const;
    bool send_all(int fd, const std::string& data, std::chrono::steady_clock::time_point deadline);

    Reply reply_;
    platform::UniqueFd listen_fd_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> bytes_sent_{0};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::string first_request_;
    std::thread thread_;
};

}  // namespace quen::test
