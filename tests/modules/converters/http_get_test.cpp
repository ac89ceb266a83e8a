// The map server module's GET against the tests' server on the loopback
// addresses: HTTP and HTTPS, IPv6, redirects, chunked and compressed
// replies, the size and time limits, proxies and the failures a user is told.
#include "modules/wms/http_get.h"
#include "tests/support/http_test_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {

constexpr size_t kLimit = 64u << 20;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : name_(name)
    {
        if (const char *old = std::getenv(name))
            old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char *name_;
    std::string old_;
    bool had_ = false;
};

bool IsPng(const std::string &body) { return body.rfind("\x89PNG\r\n\x1a\n", 0) == 0; }

class HttpGetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Proxies of the machine play no part unless a test sets one.
        for (const char *name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                                 "no_proxy", "NO_PROXY", "MAP_CA_FILE"})
            unsetenv(name);
        ASSERT_TRUE(plain.Running());
    }
    bool get(const std::string &url, int timeoutMs = 20000, size_t limit = kLimit)
    {
        error.clear();
        return HttpGet(url, timeoutMs, limit, &result, &error);
    }
    // A TLS server with a certificate of its own, which only MAP_CA_FILE
    // makes trusted.
    std::unique_ptr<HttpTestServer> secureServer()
    {
        if (!folder.isValid() || !HttpTestServer::MakeCertificate(folder.path(), &certificate, &key))
            return nullptr;
        HttpTestServer::Options options;
        options.certificate = certificate;
        options.key = key;
        return std::make_unique<HttpTestServer>(options);
    }

    HttpTestServer plain;
    QTemporaryDir folder;
    QString certificate, key;
    HttpResult result;
    std::string error;
};

TEST_F(HttpGetTest, PicturesComeOverHttpIpv6ChunksAndCompression)
{
    HttpTestServer::Options v6;
    v6.bind = QStringLiteral("::1");
    HttpTestServer six(v6);
    ASSERT_TRUE(six.Running());
    const std::string reference = [&] {
        EXPECT_TRUE(get(plain.Url("/png?WIDTH=30&HEIGHT=20"))) << error;
        return result.body;
    }();
    ASSERT_TRUE(IsPng(reference));
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.reason, "OK");
    EXPECT_EQ(result.contentType, "image/png");
    for (const std::string &url :
         {six.Url("/png?WIDTH=30&HEIGHT=20"), plain.Url("/chunked?WIDTH=30&HEIGHT=20"),
          plain.Url("/gzip?WIDTH=30&HEIGHT=20")}) {
        ASSERT_TRUE(get(url)) << url << ": " << error;
        EXPECT_EQ(result.status, 200) << url;
        EXPECT_EQ(result.body, reference) << url;
    }
}

TEST_F(HttpGetTest, HttpsTrustsTheNamedCertificateOnly)
{
    const auto secure = secureServer();
    ASSERT_TRUE(secure && secure->Running());
    // Not in the system's store: refused, naming the host.
    EXPECT_FALSE(get(secure->Url("/png")));
    EXPECT_NE(error.find("certificate of \"127.0.0.1\" is not trusted"), std::string::npos) << error;
    EXPECT_TRUE(result.body.empty());

    ScopedEnv trust("MAP_CA_FILE", certificate.toStdString());
    ASSERT_TRUE(get(secure->Url("/png?WIDTH=5&HEIGHT=4"))) << error;
    EXPECT_EQ(result.status, 200);
    EXPECT_TRUE(IsPng(result.body));
}

TEST_F(HttpGetTest, RedirectsAreFollowedWithinBounds)
{
    for (const char *path : {"/301?WIDTH=7&HEIGHT=3", "/302?WIDTH=7&HEIGHT=3"}) {
        ASSERT_TRUE(get(plain.Url(path))) << path << ": " << error;
        EXPECT_EQ(result.status, 200) << path;
        EXPECT_TRUE(IsPng(result.body)) << path;
    }
    EXPECT_TRUE(plain.Requests().contains(QStringLiteral("GET /png?WIDTH=7&HEIGHT=3")));

    EXPECT_FALSE(get(plain.Url("/loop")));
    EXPECT_NE(error.find("redirected more than 5 times"), std::string::npos) << error;
    EXPECT_EQ(plain.Requests().count(QStringLiteral("GET /loop")), 6);

    EXPECT_FALSE(get(plain.Url("/redirect?to=ftp://127.0.0.1/x")));
    EXPECT_NE(error.find("not an http or https address"), std::string::npos) << error;
}

TEST_F(HttpGetTest, SecureAddressesNeverRedirectInTheClear)
{
    const auto secure = secureServer();
    ASSERT_TRUE(secure && secure->Running());
    ScopedEnv trust("MAP_CA_FILE", certificate.toStdString());
    const std::string clear = plain.Url("/png");
    const int before = int(plain.Requests().size());
    EXPECT_FALSE(get(secure->Url("/redirect?to=" + clear)));
    EXPECT_NE(error.find("redirected to an insecure one"), std::string::npos) << error;
    EXPECT_EQ(int(plain.Requests().size()), before) << "the clear address was asked";
    // HTTP to HTTPS is an upgrade and goes on.
    ASSERT_TRUE(get(plain.Url("/redirect?to=" + secure->Url("/png")))) << error;
    EXPECT_TRUE(IsPng(result.body));
}

TEST_F(HttpGetTest, LimitsOfSizeAndTimeHold)
{
    // 200 MB without a length: refused once 1 MB has come.
    EXPECT_FALSE(get(plain.Url("/big?bytes=200000000"), 20000, 1u << 20));
    EXPECT_NE(error.find("larger than 1048576 bytes"), std::string::npos) << error;
    EXPECT_TRUE(result.body.empty());
    // With a length: refused before the body.
    EXPECT_FALSE(get(plain.Url("/noise?bytes=3000000"), 20000, 1u << 20));
    EXPECT_NE(error.find("larger than 1048576 bytes"), std::string::npos) << error;

    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(get(plain.Url("/silent"), 300));
    EXPECT_NE(error.find("did not answer in time"), std::string::npos) << error;
    // A bound that only catches a fetch that ignores its time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST_F(HttpGetTest, ProxiesComeFromTheEnvironment)
{
    HttpTestServer::Options options;
    options.proxyFor = plain.Port();
    HttpTestServer proxy(options);
    ASSERT_TRUE(proxy.Running());
    ScopedEnv via("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.Port()));
    // A host no resolver knows is reached through the proxy alone.
    const std::string far =
        "http://maps.example.invalid:" + std::to_string(plain.Port()) + "/png?WIDTH=3&HEIGHT=3";
    ASSERT_TRUE(get(far)) << error;
    EXPECT_TRUE(IsPng(result.body));
    EXPECT_TRUE(proxy.Requests().contains(QStringLiteral("PROXY GET ") + QString::fromStdString(far)));

    ScopedEnv except("no_proxy", "127.0.0.1");
    const int before = int(proxy.Requests().size());
    ASSERT_TRUE(get(plain.Url("/png?WIDTH=4&HEIGHT=4"))) << error;
    EXPECT_EQ(int(proxy.Requests().size()), before);
    EXPECT_TRUE(plain.Requests().contains(QStringLiteral("GET /png?WIDTH=4&HEIGHT=4")));
}

TEST_F(HttpGetTest, FailuresSayWhatHappened)
{
    // A port nobody listens on: bound, then closed.
    const int closedPort = [] {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ::bind(s, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::getsockname(s, reinterpret_cast<sockaddr *>(&addr), &len);
        ::close(s);
        return int(ntohs(addr.sin_port));
    }();
    const struct {
        std::string url;
        const char *says;
    } cases[] = {
        {"ftp://127.0.0.1/x", "does not begin with http:// or https://"},
        {"http://", "is not a valid address"},
        {"http://127.0.0.1:port/x", "is not a valid address"},
        {"http://127.0.0.1:" + std::to_string(closedPort) + "/png", "refused the connection"},
    };
    for (const auto &c : cases) {
        EXPECT_FALSE(get(c.url)) << c.url;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.url << ": " << error;
        EXPECT_EQ(result.status, 0) << c.url;
        EXPECT_TRUE(result.body.empty()) << c.url;
    }
    // A status other than 200 is an answer with its reason.
    ASSERT_TRUE(get(plain.Url("/500"))) << error;
    EXPECT_EQ(result.status, 500);
    EXPECT_EQ(result.reason, "Internal Server Error");
    EXPECT_EQ(result.contentType, "text/html");
}

} // namespace
