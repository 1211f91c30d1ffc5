#include <winsock2.h>

#include "LocalHttpServer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

constexpr std::size_t kLongestRequest = 16 * 1024;

// Everything up to the blank line that ends a request's head.
std::string ReadRequestHead(SOCKET connection) {
    std::string head;
    char buffer[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kLongestRequest) {
        const int got = ::recv(connection, buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        head.append(buffer, got);
    }
    return head;
}

std::string HeaderValue(const std::string& head, std::string name) {
    std::string lowered = head;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t at = lowered.find("\r\n" + name + ":");
    if (at == std::string::npos)
        return {};
    std::size_t start = at + 3 + name.size();
    const std::size_t end = head.find("\r\n", start);
    while (start < end && head[start] == ' ')
        ++start;
    return head.substr(start, end - start);
}

// "bytes=N-" or "bytes=N-M" over a body of `size` bytes: the first and
// last byte, or nothing when the range cannot be served.
std::optional<std::pair<std::size_t, std::size_t>> ByteRange(const std::string& range,
                                                             std::size_t size) {
    if (range.rfind("bytes=", 0) != 0 || range.find(',') != std::string::npos)
        return std::nullopt;
    const std::string bounds = range.substr(6);
    const std::size_t dash = bounds.find('-');
    if (dash == 0 || dash == std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const unsigned long long first = std::strtoull(bounds.c_str(), &end, 10);
    unsigned long long last = size ? size - 1 : 0;
    if (dash + 1 < bounds.size())
        last =
            std::min<unsigned long long>(std::strtoull(bounds.c_str() + dash + 1, &end, 10), last);
    if (first >= size || first > last)
        return std::nullopt;
    return std::make_pair(static_cast<std::size_t>(first), static_cast<std::size_t>(last));
}

void SendAll(SOCKET connection, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - sent, INT_MAX));
        const int wrote = ::send(connection, bytes.data() + sent, chunk, 0);
        if (wrote <= 0)
            return;
        sent += static_cast<std::size_t>(wrote);
    }
}

// The rest of a body of `length` bytes, of which `body` holds the start.
void ReadRequestBody(SOCKET connection, std::string& body, std::size_t length) {
    char buffer[16 * 1024];
    while (body.size() < length) {
        const int want = static_cast<int>(std::min(sizeof(buffer), length - body.size()));
        const int got = ::recv(connection, buffer, want, 0);
        if (got <= 0)
            break;
        body.append(buffer, got);
    }
    body.resize(std::min(body.size(), length));
}

} // namespace

CLocalHttpServer::CLocalHttpServer(unsigned short port) {
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return;
    m_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    int length = sizeof(address);
    if (m_listener == INVALID_SOCKET ||
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(m_listener, SOMAXCONN) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listener != INVALID_SOCKET)
            ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        ::WSACleanup();
        return;
    }
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

CLocalHttpServer::~CLocalHttpServer() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
    }
    m_stopped.notify_all();
    if (m_acceptor.joinable())
        m_acceptor.join();
    for (std::thread& connection : m_connections)
        connection.join();
    if (m_listener != INVALID_SOCKET) {
        ::closesocket(m_listener);
        ::WSACleanup();
    }
}

std::string CLocalHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void CLocalHttpServer::Serve(const std::string& path, HttpRoute route) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_routes.emplace_back(path, std::move(route));
}

std::vector<HttpRequestRecord> CLocalHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

void CLocalHttpServer::ReleaseHeld() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_released = true;
    }
    m_stopped.notify_all();
}

bool CLocalHttpServer::Pause(unsigned ms) {
    std::unique_lock<std::mutex> guard(m_lock);
    return !m_stopped.wait_for(guard, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void CLocalHttpServer::AcceptLoop() {
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_stopping)
                return;
        }
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(m_listener, &ready);
        timeval wait{0, 50 * 1000};
        if (::select(0, &ready, nullptr, nullptr, &wait) <= 0)
            continue;
        const SOCKET connection = ::accept(m_listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET)
            continue;
        std::lock_guard<std::mutex> guard(m_lock);
        m_connections.emplace_back([this, connection] {
            Answer(connection);
            ::closesocket(connection);
        });
    }
}

void CLocalHttpServer::Answer(std::uintptr_t socket) {
    const SOCKET connection = socket;
    std::string head = ReadRequestHead(connection);
    const std::size_t headEnd = head.find("\r\n\r\n");
    std::string body = headEnd == std::string::npos ? std::string() : head.substr(headEnd + 4);
    if (headEnd != std::string::npos)
        head.resize(headEnd + 2);
    ReadRequestBody(connection, body,
                    std::strtoull(HeaderValue(head, "Content-Length").c_str(), nullptr, 10));
    const std::size_t pathStart = head.find(' ');
    const std::size_t pathEnd = head.find(' ', pathStart + 1);
    if (pathStart == std::string::npos || pathEnd == std::string::npos)
        return;
    HttpRequestRecord record{head.substr(pathStart + 1, pathEnd - pathStart - 1),
                             HeaderValue(head, "Range"), std::move(body)};
    std::optional<HttpRoute> route;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(record);
        for (const auto& [path, served] : m_routes)
            if (path == record.path)
                route = served;
    }
    if (!route)
        route = HttpRoute{404, "not found"};
    if (route->stall && !route->cutAfter) {
        Pause(UINT_MAX);
        return;
    }
    if (route->held) {
        std::unique_lock<std::mutex> guard(m_lock);
        m_stopped.wait(guard, [this] { return m_stopping || m_released; });
        if (m_stopping)
            return;
    }
    if (route->delayMs && !Pause(route->delayMs))
        return;
    int status = route->status;
    body = route->body;
    std::string extra;
    if (status == 200 && !record.range.empty() && route->ranges != HttpRoute::Ranges::Ignored) {
        const auto range = route->ranges == HttpRoute::Ranges::Served
                               ? ByteRange(record.range, body.size())
                               : std::nullopt;
        if (range) {
            status = 206;
            extra = "Content-Range: bytes " + std::to_string(range->first) + "-" +
                    std::to_string(range->second) + "/" + std::to_string(body.size()) + "\r\n";
            body = body.substr(range->first, range->second - range->first + 1);
        } else {
            status = 416;
            extra = "Content-Range: bytes */" + std::to_string(body.size()) + "\r\n";
            body.clear();
        }
    }
    // The reason phrase is free text that no client reads.
    std::string answer = "HTTP/1.1 " + std::to_string(status) +
                         " Answer\r\nContent-Length: " + std::to_string(body.size()) +
                         "\r\nAccept-Ranges: bytes\r\nConnection: close\r\n" + extra + "\r\n";
    answer += route->cutAfter ? body.substr(0, *route->cutAfter) : body;
    SendAll(connection, answer);
    if (route->stall)
        Pause(UINT_MAX);
    ::shutdown(connection, SD_SEND);
}
