#include "modules/wms/http_get.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Socket {
    int fd = -1;
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits for the socket to be ready for the events; false at the deadline.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, msLeft(deadline));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

std::string lower(std::string s)
{
    for (char &c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

bool HttpGet(const std::string &url, int timeoutMs, size_t maxBytes, HttpResult *result, std::string *error)
{
    *result = HttpResult{};
    const std::string scheme = "http://";
    if (lower(url.substr(0, scheme.size())) != scheme) {
        *error = "the address does not begin with http://";
        return false;
    }
    const std::string rest = url.substr(scheme.size());
    const size_t slash = rest.find('/');
    const std::string hostPort = rest.substr(0, slash);
    const std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
    std::string host = hostPort, port = "80";
    if (const size_t colon = hostPort.rfind(':'); colon != std::string::npos) {
        host = hostPort.substr(0, colon);
        port = hostPort.substr(colon + 1);
    }
    if (host.empty() || port.empty() || !std::all_of(port.begin(), port.end(), ::isdigit) ||
        path.find_first_of("\r\n ") != std::string::npos) {
        *error = "the address \"" + url + "\" is not a valid address";
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 1));

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
        *error = "the server \"" + host + "\" is not known";
        return false;
    }
    Socket sock;
    bool connected = false;
    for (addrinfo *a = found; a && !connected; a = a->ai_next) {
        Socket s;
        s.fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (s.fd < 0)
            continue;
        if (::connect(s.fd, a->ai_addr, a->ai_addrlen) != 0) {
            if (errno != EINPROGRESS || !waitFor(s.fd, POLLOUT, deadline))
                continue;
            int soError = 0;
            socklen_t len = sizeof soError;
            if (::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0)
                continue;
        }
        std::swap(sock.fd, s.fd);
        connected = true;
    }
    ::freeaddrinfo(found);
    if (!connected) {
        *error = Clock::now() >= deadline ? "the server did not answer in time"
                                          : "the server \"" + hostPort + "\" cannot be reached";
        return false;
    }

    const std::string request =
        "GET " + path + " HTTP/1.0\r\nHost: " + hostPort + "\r\nAccept: image/*\r\nConnection: close\r\n\r\n";
    for (size_t sent = 0; sent < request.size();) {
        if (!waitFor(sock.fd, POLLOUT, deadline)) {
            *error = "the server did not take the request in time";
            return false;
        }
        const ssize_t n = ::send(sock.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            *error = std::string("the request could not be sent: ") + std::strerror(errno);
            return false;
        }
        if (n > 0)
            sent += size_t(n);
    }

    std::string answer;
    char buffer[16384];
    for (;;) {
        if (!waitFor(sock.fd, POLLIN, deadline)) {
            *error = "the server did not answer in time";
            return false;
        }
        const ssize_t n = ::recv(sock.fd, buffer, sizeof buffer, 0);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            *error = std::string("the answer could not be read: ") + std::strerror(errno);
            return false;
        }
        answer.append(buffer, size_t(n));
        if (answer.size() > maxBytes + 65536) {
            *error = "the answer is larger than " + std::to_string(maxBytes) + " bytes";
            return false;
        }
    }

    const size_t headEnd = answer.find("\r\n\r\n");
    if (answer.compare(0, 5, "HTTP/") != 0 || headEnd == std::string::npos) {
        *error = "the server's answer is not an HTTP answer";
        return false;
    }
    const std::string head = answer.substr(0, headEnd);
    const size_t space = head.find(' ');
    result->status = space == std::string::npos ? 0 : std::atoi(head.c_str() + space + 1);
    long long contentLength = -1;
    for (size_t at = head.find("\r\n"); at != std::string::npos;) {
        const size_t next = head.find("\r\n", at + 2);
        const std::string line =
            head.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            const std::string name = lower(line.substr(0, colon));
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            if (name == "content-type")
                result->contentType = lower(value);
            else if (name == "content-length")
                contentLength = std::atoll(value.c_str());
        }
        at = next;
    }
    result->body = answer.substr(headEnd + 4);
    if (result->body.size() > maxBytes) {
        *error = "the answer is larger than " + std::to_string(maxBytes) + " bytes";
        return false;
    }
    if (contentLength >= 0 && result->body.size() < size_t(contentLength)) {
        *error = "the answer was cut short";
        return false;
    }
    if (contentLength >= 0)
        result->body.resize(size_t(contentLength));
    return true;
}
