#include "modules/wms/http_get.h"

#include <curl/curl.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxRedirects = 5;

std::string lower(std::string s)
{
    for (char &c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool startsWith(const std::string &s, const char *prefix) { return lower(s).rfind(prefix, 0) == 0; }

// Handles are kept between fetches, so a picture asked of the same server
// again goes over the connection that is already open.
class HandlePool {
public:
    HandlePool() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~HandlePool()
    {
        for (CURL *handle : idle_)
            curl_easy_cleanup(handle);
    }
    CURL *take()
    {
        {
            std::lock_guard lock(mutex_);
            if (!idle_.empty()) {
                CURL *handle = idle_.back();
                idle_.pop_back();
                return handle;
            }
        }
        return curl_easy_init();
    }
    void give(CURL *handle)
    {
        std::lock_guard lock(mutex_);
        idle_.push_back(handle);
    }

private:
    std::mutex mutex_;
    std::vector<CURL *> idle_;
};

HandlePool &pool()
{
    static HandlePool instance;
    return instance;
}

struct Lease {
    CURL *handle = pool().take();
    ~Lease()
    {
        if (handle)
            pool().give(handle);
    }
};

struct Transfer {
    HttpResult *result;
    size_t maxBytes;
    bool tooLarge = false;
};

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    if (t->result->body.size() + n > t->maxBytes) {
        t->tooLarge = true;
        return 0; // ends the transfer
    }
    t->result->body.append(data, n);
    return n;
}

// Keeps the reason phrase of each status line ("HTTP/1.1 404 Not Found").
size_t onHeader(char *data, size_t size, size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    std::string line(data, n);
    if (line.rfind("HTTP/", 0) == 0) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        const size_t code = line.find(' ');
        const size_t reason = code == std::string::npos ? code : line.find(' ', code + 1);
        t->result->reason = reason == std::string::npos ? std::string() : line.substr(reason + 1);
    } else if (lower(line.substr(0, 15)) == "content-length:") {
        // Room for the whole body at once, within the limit.
        const unsigned long long length = std::strtoull(line.c_str() + 15, nullptr, 10);
        if (length > 0 && length <= t->maxBytes)
            t->result->body.reserve(size_t(length));
    }
    return n;
}

std::string hostOf(const std::string &url)
{
    std::string host;
    CURLU *parsed = curl_url();
    char *part = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK && part) {
        host = part;
        curl_free(part);
    }
    curl_url_cleanup(parsed);
    return host;
}

std::string describe(CURLcode code, CURL *handle, const std::string &url, const Transfer &t)
{
    const std::string host = "\"" + hostOf(url) + "\"";
    switch (code) {
    case CURLE_URL_MALFORMAT:
        return "the address \"" + url + "\" is not a valid address";
    case CURLE_COULDNT_RESOLVE_HOST:
        return "the server " + host + " is not known";
    case CURLE_COULDNT_RESOLVE_PROXY:
        return "the proxy server is not known";
    case CURLE_COULDNT_CONNECT: {
        long os = 0;
        curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &os);
        return os == ECONNREFUSED ? "the server " + host + " refused the connection"
                                  : "the server " + host + " cannot be reached";
    }
    case CURLE_OPERATION_TIMEDOUT:
        return "the server did not answer in time";
    case CURLE_PEER_FAILED_VERIFICATION:
        return "the certificate of " + host + " is not trusted";
    case CURLE_SSL_CONNECT_ERROR:
        return "no secure connection could be made with " + host;
    case CURLE_FILESIZE_EXCEEDED:
        return "the answer is larger than " + std::to_string(t.maxBytes) + " bytes";
    case CURLE_WRITE_ERROR:
        if (t.tooLarge)
            return "the answer is larger than " + std::to_string(t.maxBytes) + " bytes";
        break;
    case CURLE_PARTIAL_FILE:
        return "the answer was cut short";
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL: // an answer without a status line
        return "the server's answer is not an HTTP answer";
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return "the connection to " + host + " broke off";
    default:
        break;
    }
    return curl_easy_strerror(code);
}

} // namespace

bool HttpGet(const std::string &url, int timeoutMs, size_t maxBytes, HttpResult *result, std::string *error)
{
    *result = HttpResult{};
    if (!startsWith(url, "http://") && !startsWith(url, "https://")) {
        *error = "the address does not begin with http:// or https://";
        return false;
    }
    Lease lease;
    if (!lease.handle) {
        *error = "no connection can be set up";
        return false;
    }
    CURL *handle = lease.handle;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const char *caFile = std::getenv("MAP_CA_FILE");
    Transfer transfer{result, maxBytes};
    std::string address = url;
    // Redirects are followed here, not by libcurl, so that each hop's scheme
    // is checked: a secure request never goes on in the clear.
    for (int hop = 0;; ++hop) {
        const long leftMs =
            long(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        if (leftMs <= 0) {
            *error = "the server did not answer in time";
            return false;
        }
        *result = HttpResult{};
        transfer.tooLarge = false;
        curl_easy_reset(handle); // keeps the open connections
        curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, ""); // every encoding libcurl decodes
        curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, leftMs);
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, leftMs);
        curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(maxBytes));
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
        if (caFile && *caFile)
            curl_easy_setopt(handle, CURLOPT_CAINFO, caFile);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, onBody);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, onHeader);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
        const CURLcode code = curl_easy_perform(handle);
        if (code != CURLE_OK) {
            *result = HttpResult{};
            *error = describe(code, handle, address, transfer);
            return false;
        }
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        result->status = int(status);
        char *type = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
            result->contentType = lower(type);
        char *next = nullptr;
        const bool redirect =
            (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) &&
            curl_easy_getinfo(handle, CURLINFO_REDIRECT_URL, &next) == CURLE_OK && next;
        if (!redirect)
            return true;
        if (hop == kMaxRedirects) {
            *result = HttpResult{};
            *error = "the server redirected more than " + std::to_string(kMaxRedirects) + " times";
            return false;
        }
        const std::string target = next;
        if (!startsWith(target, "http://") && !startsWith(target, "https://")) {
            *result = HttpResult{};
            *error = "the server redirected to \"" + target + "\", which is not an http or https address";
            return false;
        }
        if (startsWith(address, "https://") && !startsWith(target, "https://")) {
            *result = HttpResult{};
            *error = "the secure address redirected to an insecure one (\"" + target + "\")";
            return false;
        }
        address = target;
    }
}
