// A picture-server converter for the tests: the request text is a base
// address "http://127.0.0.1:<port>/<path>"; the module asks it for a GetMap
// picture of the bounds and size the engine gives (d3, d4, d6, d7 in
// degrees, d9 x d10 pixels) as an uncompressed BMP, and hands the picture
// back as the engine's two blocks.
#include "platform/global_memory.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Params {
    double d[11];
};

std::string g_error;

int fail(const std::string &why)
{
    g_error = why;
    return 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) const char *GormConverterLastError()
{
    return g_error.c_str();
}

extern "C" __attribute__((visibility("default"))) int GormRasterBody(const char *request, HGLOBAL *header,
                                                                     HGLOBAL *pixels, Params *p)
{
    if (!request || !p || !header || !pixels)
        return fail("a picture request needs its bounds and both slots");
    const std::string base = request;
    const std::string prefix = "http://127.0.0.1:";
    if (base.compare(0, prefix.size(), prefix) != 0)
        return fail("only loopback addresses are asked");
    const size_t slash = base.find('/', prefix.size());
    const int port = std::atoi(base.substr(prefix.size(), slash - prefix.size()).c_str());
    std::string path = slash == std::string::npos ? "/" : base.substr(slash);
    char query[256];
    std::snprintf(query, sizeof query,
                  "%cSERVICE=WMS&REQUEST=GetMap&FORMAT=image/bmp&BBOX=%.6f,%.6f,%.6f,%.6f&WIDTH=%d&HEIGHT=%d",
                  path.find('?') == std::string::npos ? '?' : '&', p->d[3], p->d[4], p->d[6], p->d[7],
                  int(p->d[9]), int(p->d[10]));
    path += query;

    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return fail("no socket");
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return fail("the picture server does not answer");
    }
    const std::string get = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    send(fd, get.data(), get.size(), 0);
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, size_t(n));
    close(fd);

    const size_t bodyAt = reply.find("\r\n\r\n");
    if (bodyAt == std::string::npos || reply.compare(0, 12, "HTTP/1.0 200") != 0)
        return fail("the picture server refused the request");
    const std::string body = reply.substr(bodyAt + 4);
    if (body.size() < 54 || body[0] != 'B' || body[1] != 'M')
        return fail("the picture server sent no BMP picture");
    uint32_t pixelsAt = 0;
    std::memcpy(&pixelsAt, body.data() + 10, 4);
    if (pixelsAt < 54 || pixelsAt > body.size())
        return fail("the picture is damaged");
    *header = GlobalAlloc(GHND, pixelsAt - 14);
    *pixels = GlobalAlloc(GHND, body.size() - pixelsAt);
    std::memcpy(GlobalLock(*header), body.data() + 14, pixelsAt - 14);
    std::memcpy(GlobalLock(*pixels), body.data() + pixelsAt, body.size() - pixelsAt);
    GlobalUnlock(*header);
    GlobalUnlock(*pixels);
    return 1;
}
