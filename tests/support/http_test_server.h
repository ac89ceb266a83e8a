// The tests' web map server (tests/support/http_test_server.py) in a child
// process on a loopback address, plain or over TLS with a self-signed
// certificate made by openssl, or as a forwarding proxy. It stops when the
// object goes: its standard input is closed.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "test_paths.h"

#include <algorithm>
#include <cstdio>
#include <string>

class HttpTestServer {
public:
    struct Options {
        QString bind = QStringLiteral("127.0.0.1");
        QString certificate, key; // both set: TLS
        int proxyFor = 0;         // a port: a proxy to 127.0.0.1 there
        QString colour;           // RRGGBB of the pictures
    };

    HttpTestServer() : HttpTestServer(Options()) {}
    explicit HttpTestServer(const Options &options)
    {
        QStringList args{QStringLiteral(MAP_SOURCE_DIR "/tests/support/http_test_server.py"),
                         QStringLiteral("--bind"), options.bind};
        if (!options.certificate.isEmpty())
            args << QStringLiteral("--tls") << options.certificate << options.key;
        if (options.proxyFor)
            args << QStringLiteral("--proxy") << QString::number(options.proxyFor);
        if (!options.colour.isEmpty())
            args << QStringLiteral("--colour") << options.colour;
        tls_ = !options.certificate.isEmpty();
        host_ =
            options.bind.contains(':') ? '[' + options.bind.toStdString() + ']' : options.bind.toStdString();
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("python3"), args);
        // The first line names the port. A wait that ends without a line
        // (a signal, a partial line) is tried again until the guard's end.
        QDeadlineTimer guard(60000);
        while (port_ == 0 && !guard.hasExpired()) {
            if (process_.canReadLine()) {
                const QByteArray line = process_.readLine().trimmed();
                if (line.startsWith("PORT "))
                    port_ = line.mid(5).toInt();
                continue;
            }
            if (process_.state() == QProcess::NotRunning) {
                std::fprintf(stderr, "the test server ended at its start (exit code %d): %s\n",
                             process_.exitCode(), qPrintable(process_.errorString()));
                break;
            }
            process_.waitForReadyRead(int(std::min<qint64>(guard.remainingTime(), 1000)));
        }
    }
    ~HttpTestServer()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }
    HttpTestServer(const HttpTestServer &) = delete;
    HttpTestServer &operator=(const HttpTestServer &) = delete;

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    std::string Url(const std::string &path) const
    {
        return (tls_ ? "https://" : "http://") + host_ + ":" + std::to_string(port_) + path;
    }
    // The request lines the server printed so far ("GET /png", "PROXY GET
    // http://...").
    QStringList Requests()
    {
        process_.waitForReadyRead(0);
        while (process_.canReadLine())
            requests_ << QString::fromUtf8(process_.readLine().trimmed());
        return requests_;
    }

    // A self-signed certificate for localhost, 127.0.0.1 and ::1, with its
    // key, written into folder; false when openssl fails.
    static bool MakeCertificate(const QString &folder, QString *certificate, QString *key)
    {
        *certificate = QDir(folder).filePath(QStringLiteral("cert.pem"));
        *key = QDir(folder).filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                       QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                       QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
                       QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1"),
                       QStringLiteral("-keyout"), *key, QStringLiteral("-out"), *certificate});
        return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit &&
               openssl.exitCode() == 0;
    }

private:
    QProcess process_;
    int port_ = 0;
    bool tls_ = false;
    std::string host_;
    QStringList requests_;
};
