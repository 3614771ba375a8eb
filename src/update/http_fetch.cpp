#include "update/http_fetch.h"

#include <curl/curl.h>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace quen::update {
namespace {

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

void global_init_once() {
    static std::once_flag once;
    // Never cleaned up: checks may still be running on detached threads at exit.
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    const ChunkFn* on_chunk = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    std::uint64_t delivered = 0;
    bool stopped_by_receiver = false;
};

// libcurl is C: nothing may be thrown through it.
size_t write_cb(char* data, size_t size, size_t nmemb, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * nmemb;
    if (transfer->cancel && transfer->cancel->load()) return 0;
    bool go_on = false;
    try {
        go_on = (*transfer->on_chunk)(data, bytes);
    } catch (...) {
        go_on = false;
    }
    if (!go_on) {
        transfer->stopped_by_receiver = true;
        return 0;
    }
    transfer->delivered += bytes;
    return bytes;
}

int progress_cb(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    return (transfer->cancel && transfer->cancel->load()) ? 1 : 0;
}

// The environment's no-proxy list with the loopback names added: a check
// against this machine never goes through a proxy.
std::string no_proxy_list() {
    std::string list;
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            list = value;
            break;
        }
    }
    if (list == "*") return list;
    if (!list.empty()) list += ",";
    return list + "localhost,127.0.0.1,::1";
}

}  // namespace

FetchResult http_get(const FetchRequest& request, const ChunkFn& on_chunk) {
    global_init_once();
    FetchResult result;
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        result.curl_code = CURLE_FAILED_INIT;
        result.message = "cannot start a transfer";
        return result;
    }
    CURL* handle = easy.get();
    Transfer transfer;
    transfer.on_chunk = &on_chunk;
    transfer.cancel = request.cancel;
    char errbuf[CURL_ERROR_SIZE] = {};

    std::unique_ptr<curl_slist, ListDeleter> headers;
    if (request.no_cache) {
        for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
            curl_slist* longer = curl_slist_append(headers.get(), header);
            if (!longer) break;  // the list so far stays valid
            (void)headers.release();
            headers.reset(longer);
        }
    }
    const std::string no_proxy = no_proxy_list();

    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, request.user_agent.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);  // time-outs without signals: we run on worker threads
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connect_timeout.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(request.total_timeout.count()));
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &write_cb);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &progress_cb);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    if (request.use_proxy)
        curl_easy_setopt(handle, CURLOPT_NOPROXY, no_proxy.c_str());
    else
        curl_easy_setopt(handle, CURLOPT_PROXY, "");
    if (headers) curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());

    const CURLcode rc = curl_easy_perform(handle);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.http_status);
    result.body_bytes = transfer.delivered;
    result.curl_code = static_cast<int>(rc);
    if (rc == CURLE_OK) {
        result.end = FetchEnd::Complete;
        return result;
    }
    result.message = errbuf[0] ? errbuf : curl_easy_strerror(rc);
    if (transfer.cancel && transfer.cancel->load()) {
        result.end = FetchEnd::Cancelled;
    } else if (rc == CURLE_WRITE_ERROR && transfer.stopped_by_receiver) {
        result.end = FetchEnd::StoppedByReceiver;
    } else if (rc == CURLE_COULDNT_RESOLVE_HOST || rc == CURLE_COULDNT_RESOLVE_PROXY ||
               rc == CURLE_COULDNT_CONNECT) {
        result.end = FetchEnd::NoConnection;
    } else if (rc == CURLE_OPERATION_TIMEDOUT) {
        curl_off_t connect_us = 0;
        curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connect_us);
        result.end = connect_us == 0 ? FetchEnd::NoConnection : FetchEnd::Failed;
    } else {
        result.end = FetchEnd::Failed;
    }
    return result;
}

}  // namespace quen::update
