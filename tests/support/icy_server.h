#pragma once
// A small internet-radio server for tests. It listens on 127.0.0.1 only, on a port the
// system picks, and stops when destroyed or at the latest after its lifetime.
//   /radio    "ICY 200 OK" with icy-* header lines and, when asked for, metadata every
//             kMetaInterval bytes: StreamTitle='Title n';StreamUrl='http://radio.example/n';
//             where n counts the metadata blocks sent (1, 2, …)
//   /plain    "HTTP/1.0 200 OK", audio only
//   other     "HTTP/1.0 404 Not Found"
// The audio is the given MP3 data, looped, sent at about its real-time rate after a
// short burst.
#include <QByteArray>
#include <QString>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace varendo::test {

class IcyServer {
public:
    static constexpr int kMetaInterval = 8000;
    static constexpr const char* kName = "Varendo Test Radio";

    IcyServer(QByteArray mp3, int bytesPerSecond, int lifetimeMs = 120000);
    ~IcyServer();
    IcyServer(const IcyServer&) = delete;
    IcyServer& operator=(const IcyServer&) = delete;

    bool listening() const { return port_ != 0; }
    QString url(const char* path) const;

private:
    void acceptLoop();
    void serve(int client);
    bool sendAll(int client, const char* data, std::size_t size);
    bool stopping() const;

    QByteArray mp3_;
    int bytesPerSecond_;
    int lifetimeMs_;
    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::vector<std::thread> clients_;
};

} // namespace varendo::test
