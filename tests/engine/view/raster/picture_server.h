// A small picture server on the loopback address for the picture-server
// rasters: it answers every GET with a picture of the WIDTH x HEIGHT the
// request asks (64 x 48 when it asks none; a BMP, or a PNG when the request
// asks FORMAT=image/png) and keeps the requests it saw.
#pragma once

#include <QBuffer>
#include <QImage>
#include <QUrlQuery>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PictureServer {
public:
    explicit PictureServer(QRgb colour) : colour_(colour)
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            listen(listener_, 8) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~PictureServer()
    {
        if (listener_ >= 0) {
            shutdown(listener_, SHUT_RDWR);
            close(listener_);
        }
        if (thread_.joinable())
            thread_.join();
    }
    PictureServer(const PictureServer &) = delete;
    PictureServer &operator=(const PictureServer &) = delete;

    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/wms?LAYERS=test"; }

    // The query of every request, in order.
    std::vector<QUrlQuery> requests()
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void serve()
    {
        for (;;) {
            const int client = accept(listener_, nullptr, nullptr);
            if (client < 0)
                return;
            answer(client);
            close(client);
        }
    }

    void answer(int client)
    {
        std::string request;
        char buffer[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, size_t(n));
        }
        const size_t start = request.find(' ') + 1;
        const std::string target = request.substr(start, request.find(' ', start) - start);
        const size_t q = target.find('?');
        QUrlQuery query(QString::fromStdString(q == std::string::npos ? "" : target.substr(q + 1)));
        // Parameter names of the protocol are not case-sensitive.
        QUrlQuery upper;
        for (const auto &[k, v] : query.queryItems())
            upper.addQueryItem(k.toUpper(), v);
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(upper);
        }
        // A request without a size gets a small picture.
        const int w = upper.hasQueryItem("WIDTH") ? upper.queryItemValue("WIDTH").toInt() : 64;
        const int h = upper.hasQueryItem("HEIGHT") ? upper.queryItemValue("HEIGHT").toInt() : 48;
        const bool png = upper.queryItemValue("FORMAT").contains("png", Qt::CaseInsensitive);
        QByteArray body;
        if (w > 0 && h > 0 && w <= 4096 && h <= 4096) {
            QImage picture(w, h, QImage::Format_RGB32);
            picture.fill(colour_);
            QBuffer out(&body);
            out.open(QIODevice::WriteOnly);
            picture.save(&out, png ? "PNG" : "BMP");
        }
        const std::string head =
            body.isEmpty() ? "HTTP/1.0 400 Bad Request\r\n\r\n"
                           : "HTTP/1.0 200 OK\r\nContent-Type: image/" + std::string(png ? "png" : "bmp") +
                                 "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
        send(client, head.data(), head.size(), MSG_NOSIGNAL);
        send(client, body.constData(), size_t(body.size()), MSG_NOSIGNAL);
    }

    QRgb colour_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<QUrlQuery> requests_;
};
