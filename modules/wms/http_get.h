// An HTTP or HTTPS GET, bounded in time and size, over libcurl.
#pragma once

#include <cstddef>
#include <string>

struct HttpResult {
    int status = 0;          // the server's status code, 0 when none came
    std::string reason;      // the reason phrase of the status line ("Not Found")
    std::string contentType; // the Content-Type header, lower case
    std::string body;
};

// Addresses of the form "http[s]://host[:port][/path]" (IPv6 hosts in
// brackets). Redirects are followed, at most 5 and never from HTTPS to
// HTTP; the proxy comes from http_proxy, https_proxy and no_proxy;
// certificates are checked against the system's store, or against the file
// named by MAP_CA_FILE when that is set. false with the reason in error when
// the address is not one, the server cannot be reached or is not trusted,
// the answer does not arrive whole within timeoutMs milliseconds, or it grows
// larger than maxBytes (it is refused while it is read, never kept whole).
// A status other than 200 is an answer, not a failure: the caller judges it.
bool HttpGet(const std::string &url, int timeoutMs, size_t maxBytes, HttpResult *result, std::string *error);
