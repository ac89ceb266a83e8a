// A plain HTTP/1.0 GET over a TCP socket, bounded in time and size.
#pragma once

#include <string>

struct HttpResult {
    int status = 0;          // the server's status code, 0 when none came
    std::string contentType; // the Content-Type header, lower case
    std::string body;
};

// Addresses of the form "http://host[:port][/path]". false with the reason
// in error when the address is not one, the server cannot be reached, the
// answer does not arrive whole within timeoutMs milliseconds, or it is
// larger than maxBytes.
bool HttpGet(const std::string &url, int timeoutMs, size_t maxBytes, HttpResult *result, std::string *error);
