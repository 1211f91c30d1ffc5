#pragma once
// An HTTP server inside the test process, on 127.0.0.1 at a free port or
// one given (where a release was made to reach it at a known address): it
// serves in-memory bodies by path, each answered as a test asks (a status,
// a stall, a delay, a cut after some bytes, single byte ranges), one request
// per connection, and records the requests it was sent, bodies included.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct HttpRoute {
    HttpRoute(int code = 200, std::string bytes = {}) : status(code), body(std::move(bytes)) {}
    static HttpRoute Stalled() {
        HttpRoute route;
        route.stall = true;
        return route;
    }
    static HttpRoute Cut(std::string bytes, std::size_t after) {
        HttpRoute route(200, std::move(bytes));
        route.cutAfter = after;
        return route;
    }
    static HttpRoute StalledAfter(std::string bytes, std::size_t after) {
        HttpRoute route = Cut(std::move(bytes), after);
        route.stall = true;
        return route;
    }

    int status = 200;
    std::string body;
    // Accept, read the request and never answer (until the server stops);
    // with a cut, answer that much of the body and then send nothing more.
    bool stall = false;
    // Wait this long before answering.
    unsigned delayMs = 0;
    // Answer only once the test releases the held routes (ReleaseHeld).
    bool held = false;
    // Close the connection after this many bytes of the body.
    std::optional<std::size_t> cutAfter;
    // How a request for a byte range is answered: with the range (206), with
    // the whole body (200, as servers without ranges do), or refused (416).
    enum class Ranges { Served, Ignored, Refused } ranges = Ranges::Served;
};

struct HttpRequestRecord {
    std::string path;
    // The Range header's value, or empty.
    std::string range;
    // The body, as long as its Content-Length says.
    std::string body;
};

class CLocalHttpServer {
public:
    // Port 0: a free port. Listening() is false when the port cannot be had.
    explicit CLocalHttpServer(unsigned short port = 0);
    // Stops answering, ends stalled connections and joins every thread.
    ~CLocalHttpServer();
    CLocalHttpServer(const CLocalHttpServer&) = delete;
    CLocalHttpServer& operator=(const CLocalHttpServer&) = delete;

    bool Listening() const { return m_port != 0; }
    unsigned short Port() const { return m_port; }
    // "http://127.0.0.1:PORT" + path (which starts with '/').
    std::string Url(const std::string& path) const;

    // Paths not served answer 404.
    void Serve(const std::string& path, HttpRoute route);
    std::vector<HttpRequestRecord> Requests() const;
    // Lets the held routes answer, now and from now on.
    void ReleaseHeld();

private:
    void AcceptLoop();
    void Answer(std::uintptr_t connection);
    // Waits `ms` or until the server stops; false when it stops.
    bool Pause(unsigned ms);

    // A winsock SOCKET, kept out of this header so it needs no winsock.
    std::uintptr_t m_listener = ~std::uintptr_t(0);
    unsigned short m_port = 0;
    mutable std::mutex m_lock;
    std::condition_variable m_stopped;
    bool m_stopping = false;
    bool m_released = false;
    std::vector<std::pair<std::string, HttpRoute>> m_routes;
    std::vector<HttpRequestRecord> m_requests;
    std::vector<std::thread> m_connections;
    std::thread m_acceptor;
};
