// "wms.cnv": map server pictures fetched from an HTTP server that the test
// runs on the loopback address.
#include "platform/global_memory.h"
#include "platform/registry.h"
#include "tests/modules/converters/module_fixture.h"
#include "tests/support/temp_settings.h"

#include <QBuffer>
#include <QImage>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

using RasterBodyFn = int (*)(const char *, HGLOBAL *, HGLOBAL *, void *);

// A one-connection HTTP server on 127.0.0.1: it reads the request and
// sends the answer given (or nothing, until it is stopped).
class LoopbackServer {
public:
    explicit LoopbackServer(std::string answer, bool silent = false)
        : answer_(std::move(answer)), silent_(silent)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(listener_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
            ::listen(listener_, 1) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr *>(&addr), &len) == 0)
            port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackServer()
    {
        ::shutdown(listener_, SHUT_RDWR);
        if (client_ >= 0)
            ::shutdown(client_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    std::string Url(const std::string &path) const
    {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // The request line the server received.
    std::string RequestLine() const { return request_.substr(0, request_.find("\r\n")); }

private:
    void serve()
    {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            return;
        client_ = client;
        char buffer[4096];
        while (request_.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request_.append(buffer, size_t(n));
        }
        if (silent_) {
            // Holds the connection open without a word until it is shut down.
            while (::recv(client, buffer, sizeof buffer, 0) > 0) {
            }
        } else {
            ::send(client, answer_.data(), answer_.size(), MSG_NOSIGNAL);
        }
        ::close(client);
    }

    std::string answer_;
    bool silent_;
    int listener_ = -1;
    std::atomic<int> client_{-1};
    int port_ = 0;
    std::string request_;
    std::thread thread_;
};

std::string pngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

std::string answer(const std::string &status, const std::string &type, const std::string &body)
{
    return "HTTP/1.0 " + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class WmsModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(module.Loaded());
        body = module.Entry<RasterBodyFn>("GormRasterBody");
        ASSERT_TRUE(body);
    }
    void TearDown() override
    {
        for (HGLOBAL block : {header, bits})
            if (block)
                GlobalFree(block);
    }
    int fetch(const std::string &url) { return body(url.c_str(), &header, &bits, nullptr); }

    TempSettingsFolders settings;
    LoadedModule module{"wms.cnv"};
    RasterBodyFn body = nullptr;
    HGLOBAL header = 0, bits = 0;
};

TEST_F(WmsModuleTest, PictureIsFetchedAndDecoded)
{
    LoopbackServer server(answer("200 OK", "image/png", pngBytes(30, 20)));
    const std::string path = "/wms?SERVICE=WMS&REQUEST=GetMap&BBOX=0,0,10,10&WIDTH=30&HEIGHT=20";
    ASSERT_EQ(fetch(server.Url(path)), 1) << module.LastError();
    EXPECT_EQ(server.RequestLine(), "GET " + path + " HTTP/1.1");
    ASSERT_NE(header, 0u);
    ASSERT_NE(bits, 0u);
    const auto *info = static_cast<const uint8_t *>(GlobalLock(header));
    int32_t width = 0, height = 0;
    std::memcpy(&width, info + 4, 4);
    std::memcpy(&height, info + 8, 4);
    GlobalUnlock(header);
    EXPECT_EQ(width, 30);
    EXPECT_EQ(height, 20);
}

TEST_F(WmsModuleTest, FailuresAreToldAndGiveNoImage)
{
    const struct {
        std::string reply;
        const char *says;
    } cases[] = {
        {answer("404 Not Found", "text/plain", "no"), "status 404"},
        {answer("200 OK", "application/vnd.ogc.se_xml", "<ServiceException>bad</ServiceException>"),
         "sent no picture for"},
        {answer("200 OK", "application/vnd.ogc.se_xml", "<ServiceException>bad</ServiceException>"), ": bad"},
        // A page that claims to be a picture is still no picture.
        {answer("200 OK", "image/png", "<html><body>Please log in</body></html>"), "Please log in"},
        // Nor is a picture sent as a page.
        {answer("200 OK", "text/html", pngBytes(4, 4)), "sent no picture for"},
        {answer("500 Internal Server Error", "text/html", "<h1>Down</h1><p>Back soon</p>"),
         "status 500 Internal Server Error: Down Back soon"},
        {answer("200 OK", "image/png", pngBytes(8, 8)).substr(0, 90), "cut short"},
        {"garbage without a head", "not an HTTP answer"},
    };
    for (const auto &c : cases) {
        LoopbackServer server(c.reply);
        EXPECT_EQ(fetch(server.Url("/map")), 0);
        EXPECT_NE(module.LastError().find(c.says), std::string::npos) << module.LastError();
        EXPECT_EQ(header, 0u);
        EXPECT_EQ(bits, 0u);
    }
    for (const std::string &bad :
         {std::string("ftp://127.0.0.1/x"), std::string("http://"), std::string("http://127.0.0.1:port/x")}) {
        EXPECT_EQ(fetch(bad), 0) << bad;
        EXPECT_FALSE(module.LastError().empty());
    }
}

TEST_F(WmsModuleTest, SilentServerTimesOut)
{
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\KRT\\Gorm 8.0\\Converters\\Imports\\WMS", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD timeout = 200;
    RegSetValueExA(key, "Timeout", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&timeout), sizeof timeout);
    RegCloseKey(key);
    LoopbackServer server("", true);
    EXPECT_EQ(fetch(server.Url("/map")), 0);
    EXPECT_NE(module.LastError().find("did not answer in time"), std::string::npos) << module.LastError();
}

} // namespace
