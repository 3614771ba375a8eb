#include "test_support/local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace quen::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPollMs = 20;

// A socket listening on 127.0.0.1 at a port the system picks; not valid on failure.
platform::UniqueFd open_listener(std::uint16_t& port) {
    platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid()) return fd;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd.get(), 8) != 0 ||
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return platform::UniqueFd();
    port = ntohs(addr.sin_port);
    return fd;
}

bool wait_fd(int fd, short events) {
    pollfd watched{fd, events, 0};
    return ::poll(&watched, 1, kPollMs) > 0;
}

}  // namespace

LocalHttpServer::LocalHttpServer(Reply reply, std::chrono::milliseconds lifetime) : reply_(std::move(reply)) {
    listen_fd_ = open_listener(port_);
    if (!listen_fd_.valid()) return;
    const auto deadline = Clock::now() + lifetime;
    thread_ = std::thread([this, deadline] { run(deadline); });
}

LocalHttpServer::~LocalHttpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

std::string LocalHttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string LocalHttpServer::first_request() const {
    std::lock_guard lk(mutex_);
    return first_request_;
}

std::uint16_t LocalHttpServer::closed_port() {
    std::uint16_t port = 0;
    open_listener(port);  // closed again at once
    return port;
}

bool LocalHttpServer::stopping(Clock::time_point deadline) const { return stop_ || Clock::now() >= deadline; }

void LocalHttpServer::run(Clock::time_point deadline) {
    while (!stopping(deadline)) {
        if (!wait_fd(listen_fd_.get(), POLLIN)) continue;
        const platform::UniqueFd connection(::accept4(listen_fd_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection.valid()) continue;
        ++connections_;
        serve(connection.get(), deadline);
    }
}

bool LocalHttpServer::send_all(int fd, const std::string& data, Clock::time_point deadline) {
    std::size_t done = 0;
    while (done < data.size()) {
        if (stopping(deadline)) return false;
        if (!wait_fd(fd, POLLOUT)) continue;
        const ssize_t sent = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
            return false;  // the client has gone
        }
        done += static_cast<std::size_t>(sent);
        bytes_sent_ += static_cast<std::uint64_t>(sent);
    }
    return true;
}

void LocalHttpServer::serve(int fd, Clock::time_point deadline) {
    if (reply_.mode == Mode::CloseAtOnce) return;

    // The request head: up to the blank line, at most 64 KB.
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 && !stopping(deadline)) {
        if (!wait_fd(fd, POLLIN)) continue;
        const ssize_t got = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
        if (got == 0) return;
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            return;
        }
        head.append(buf, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard lk(mutex_);
        if (first_request_.empty()) first_request_ = head;
    }

    if (reply_.mode == Mode::NeverAnswer) {
        // Silent until the client gives up (or we stop).
        while (!stopping(deadline)) {
            if (!wait_fd(fd, POLLIN)) continue;
            if (::recv(fd, buf, sizeof buf, MSG_DONTWAIT) == 0) return;
        }
        return;
    }

    std::string response = "HTTP/1.1 " + std::to_string(reply_.status) + " Status\r\nConnection: close\r\n";
    if (reply_.mode == Mode::Respond)
        response += "Content-Length: " + std::to_string(reply_.body.size()) + "\r\n";
    response += "\r\n";
    response += reply_.body;
    if (!send_all(fd, response, deadline) || reply_.mode != Mode::Flood || reply_.fill.empty()) return;

    std::string block;
    while (block.size() < 65536) block += reply_.fill;
    std::uint64_t sent = reply_.body.size();
    while (sent < reply_.flood_bytes) {
        if (!send_all(fd, block, deadline)) return;
        sent += block.size();
    }
}

}  // namespace quen::test
