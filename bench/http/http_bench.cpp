// A 4 MB PNG fetched 50 times from the tests' server on the loopback
// address: through HttpGet (which keeps its connection between fetches)
// against the curl program fetching the same address 50 times in one
// invocation. Before the ratio is printed, every fetch of both must have
// given the server's bytes exactly.
#include "bench/support/bench_check.h"
#include "modules/wms/http_get.h"
#include "tests/support/http_test_server.h"

#include <QCryptographicHash>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <chrono>
#include <cstring>

namespace {

constexpr int kFetches = 50;
constexpr int kPictureBytes = 4 << 20;
constexpr const char *kTopic = "4 MB picture x 50";

HttpTestServer &server()
{
    static HttpTestServer instance;
    return instance;
}

std::string address() { return server().Url("/noise?bytes=" + std::to_string(kPictureBytes)); }

// The server's bytes, fetched once, and their digest.
const std::string &reference()
{
    static const std::string bytes = [] {
        HttpResult result;
        std::string error;
        if (!HttpGet(address(), 60000, 64u << 20, &result, &error))
            std::fprintf(stderr, "the reference picture cannot be fetched: %s\n", error.c_str());
        return result.body;
    }();
    return bytes;
}

double &seconds(int which)
{
    static double times[2] = {0, 0};
    return times[which];
}

void BM_HttpGet(benchmark::State &state)
{
    if (!server().Running() || reference().size() < size_t(kPictureBytes) / 2) {
        state.SkipWithError("the server gave no picture");
        return;
    }
    std::vector<std::string> bodies(kFetches);
    double total = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        for (std::string &body : bodies) {
            HttpResult result;
            std::string error;
            HttpGet(address(), 60000, 64u << 20, &result, &error);
            body = std::move(result.body);
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        state.PauseTiming();
        int same = 0;
        for (const std::string &body : bodies)
            same += body == reference() ? 1 : 0;
        CheckResult(&state, kTopic, "fetches equal to the server's bytes (ours)", same, kFetches);
        state.ResumeTiming();
    }
    seconds(0) = total / double(state.iterations());
}

void BM_CurlProgram(benchmark::State &state)
{
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    QTemporaryDir folder;
    if (curl.isEmpty() || !folder.isValid() || !server().Running()) {
        state.SkipWithError("no curl program or no server");
        return;
    }
    QStringList args{QStringLiteral("--silent"), QStringLiteral("--show-error")};
    for (int i = 0; i < kFetches; ++i)
        args << QString::fromStdString(address());
    const QString output = folder.filePath(QStringLiteral("out"));
    double total = 0;
    for (auto _ : state) {
        QProcess process;
        process.setStandardOutputFile(output);
        const auto started = std::chrono::steady_clock::now();
        process.start(curl, args);
        process.waitForFinished(600000);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        state.PauseTiming();
        // The 50 answers one after another.
        QFile file(output);
        int same = 0;
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray all = file.readAll();
            const qsizetype size = qsizetype(reference().size());
            for (int i = 0; i < kFetches && (i + 1) * size <= all.size(); ++i)
                same +=
                    std::memcmp(all.constData() + i * size, reference().data(), size_t(size)) == 0 ? 1 : 0;
            if (all.size() != kFetches * size)
                same = 0;
        }
        CheckResult(&state, kTopic, "fetches equal to the server's bytes (curl)", same, kFetches);
        state.ResumeTiming();
    }
    seconds(1) = total / double(state.iterations());
}

BENCHMARK(BM_HttpGet)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlProgram)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    const int status = RunCheckedBenchmarks(argc, argv);
    if (ResultsMatched({kTopic}) && seconds(1) > 0)
        std::printf("HttpGet / curl program, 50 fetches of 4 MB over keep-alive: %.2f (target at most 1.2)\n",
                    seconds(0) / seconds(1));
    return status;
}
