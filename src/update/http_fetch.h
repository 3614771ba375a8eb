#pragma once
// One HTTP(S) GET over libcurl's blocking easy interface, on the calling
// thread, with the body handed over chunk by chunk as it arrives.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace quen::update {

struct FetchRequest {
    std::string url;
    std::string user_agent;
    bool use_proxy = false;   // false: connect directly, whatever the environment says
    bool no_cache = false;    // ask caches on the way for a fresh copy
    std::chrono::milliseconds connect_timeout{10000};
    std::chrono::milliseconds total_timeout{30000};
    const std::atomic<bool>* cancel = nullptr;  // set: the transfer ends soon after
};

enum class FetchEnd {
    Complete,           // the whole body was delivered
    StoppedByReceiver,  // the chunk function asked to stop
    Cancelled,          // the cancel flag was set
    NoConnection,       // the host did not resolve or could not be reached
    Failed,             // any other failure (time-out after connecting, reset, bad TLS...)
};

struct FetchResult {
    FetchEnd end = FetchEnd::Failed;
    int curl_code = 0;       // the CURLcode, 0 when complete
    std::string message;     // libcurl's description of a failure
    long http_status = 0;    // 0 when no response arrived
    std::uint64_t body_bytes = 0;  // bytes handed to the chunk function
};

// Returns false to stop reading (the transfer then ends with StoppedByReceiver).
using ChunkFn = std::function<bool(const char* data, std::size_t size)>;

FetchResult http_get(const FetchRequest& request, const ChunkFn& on_chunk);

}  // namespace quen::update
