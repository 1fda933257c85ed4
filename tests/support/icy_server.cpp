#include "icy_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>

namespace varendo::test {

IcyServer::IcyServer(QByteArray mp3, int bytesPerSecond, int lifetimeMs)
    : mp3_(std::move(mp3)), bytesPerSecond_(bytesPerSecond), lifetimeMs_(lifetimeMs)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

IcyServer::~IcyServer()
{
    stop_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    if (listener_ >= 0)
        ::close(listener_);
    std::lock_guard lock(mutex_);
    for (std::thread& client : clients_)
        client.join();
}

QString IcyServer::url(const char* path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(QString::fromUtf8(path));
}

bool IcyServer::stopping() const
{
    return stop_.load();
}

void IcyServer::acceptLoop()
{
    QElapsedTimer life;
    life.start();
    while (!stopping() && life.elapsed() < lifetimeMs_) {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::lock_guard lock(mutex_);
        clients_.emplace_back([this, client] {
            serve(client);
            ::close(client);
        });
    }
    stop_ = true; // the lifetime is over: connections end too
}

bool IcyServer::sendAll(int client, const char* data, std::size_t size)
{
    while (size > 0) {
        if (stopping())
            return false;
        pollfd writable{client, POLLOUT, 0};
        if (::poll(&writable, 1, 50) <= 0)
            continue;
        const ssize_t sent = ::send(client, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= std::size_t(sent);
    }
    return true;
}

void IcyServer::serve(int client)
{
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384 && !stopping()) {
        pollfd readable{client, POLLIN, 0};
        if (::poll(&readable, 1, 50) <= 0)
            continue;
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        request.append(buffer, std::size_t(got));
    }
    const std::string firstLine = request.substr(0, request.find("\r\n"));
    const bool radio = firstLine.find(" /radio") != std::string::npos;
    const bool plain = firstLine.find(" /plain") != std::string::npos;
    std::string lower = request;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const bool metadata = radio && lower.find("icy-metadata: 1") != std::string::npos;

    std::string head;
    if (radio) {
        head = std::string("ICY 200 OK\r\n") + "icy-notice1:<BR>This stream requires <a href=\"x\">Winamp</a><BR>\r\n"
            + "icy-notice2:Varendo test server<BR>\r\n" + "icy-name:" + kName + "\r\n" + "icy-genre:Speech\r\n"
            + "icy-url:http://radio.example/\r\n" + "content-type:audio/mpeg\r\n" + "icy-pub:0\r\n" + "icy-br:128\r\n";
        if (metadata)
            head += "icy-metaint:" + std::to_string(kMetaInterval) + "\r\n";
        head += "\r\n";
    } else if (plain) {
        head = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n";
    } else {
        head = "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\nnot here\n";
        sendAll(client, head.data(), head.size());
        return;
    }
    if (!sendAll(client, head.data(), head.size()) || mp3_.isEmpty())
        return;

    QElapsedTimer clock;
    clock.start();
    std::int64_t sent = 0;
    const std::int64_t burst = 4 * kMetaInterval;
    int block = 0;
    qsizetype at = 0;
    while (!stopping()) {
        std::string chunk;
        while (int(chunk.size()) < kMetaInterval) {
            const qsizetype take = std::min<qsizetype>(mp3_.size() - at, kMetaInterval - qsizetype(chunk.size()));
            chunk.append(mp3_.constData() + at, std::size_t(take));
            at = (at + take) % mp3_.size();
        }
        if (metadata) {
            ++block;
            const std::string text = "StreamTitle='Title " + std::to_string(block)
                + "';StreamUrl='http://radio.example/" + std::to_string(block) + "';";
            const std::size_t units = (text.size() + 15) / 16;
            chunk += char(units);
            chunk += text;
            chunk.append(units * 16 - text.size(), '\0');
        }
        if (!sendAll(client, chunk.data(), chunk.size()))
            return;
        sent += kMetaInterval;
        // After the burst, keep to the stream's own rate.
        while (!stopping() && sent > burst && clock.elapsed() * bytesPerSecond_ / 1000 < sent - burst)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace varendo::test
