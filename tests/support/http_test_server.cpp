#include "http_test_server.h"

#include <winsock2.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

class Socket {
public:
    Socket() = default;
    explicit Socket(SOCKET socket) : socket_(socket) {}
    ~Socket() { Close(); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket(Socket&& other) noexcept : socket_(other.socket_) { other.socket_ = INVALID_SOCKET; }
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            Close();
            socket_ = other.socket_;
            other.socket_ = INVALID_SOCKET;
        }
        return *this;
    }

    SOCKET Get() const { return socket_; }
    bool Valid() const { return socket_ != INVALID_SOCKET; }
    void Close() {
        if (Valid()) closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        ready_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (ready_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Ready() const { return ready_; }

private:
    bool ready_ = false;
};

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200: return "OK";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 307: return "Temporary Redirect";
        case 400: return "Bad Request";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

// Reads up to the blank line that ends the request head (GET has no body).
std::string ReadRequestHead(SOCKET client) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 64 * 1024) {
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) break;
        head.append(buffer, static_cast<std::size_t>(received));
    }
    return head;
}

// The target of a "GET <target> HTTP/1.x" request line, or empty.
std::string GetTarget(const std::string& head) {
    const std::size_t lineEnd = head.find("\r\n");
    if (head.compare(0, 4, "GET ") != 0 || lineEnd == std::string::npos) return std::string();
    const std::size_t targetEnd = head.find(' ', 4);
    if (targetEnd == std::string::npos || targetEnd >= lineEnd || targetEnd == 4) return std::string();
    if (head.compare(targetEnd + 1, 7, "HTTP/1.") != 0) return std::string();
    return head.substr(4, targetEnd - 4);
}

bool SendAll(SOCKET client, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(data.size() - done, 1 << 20));
        const int sent = send(client, data.data() + done, chunk, 0);
        if (sent <= 0) return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

std::string ResponseHead(const CannedResponse& response) {
    // A Content-Length among the extra headers stands in for the true one.
    const bool given = response.headers.find("Content-Length:") != std::string::npos;
    const std::string length = response.sendLength && !given
                                   ? "Content-Length: " + std::to_string(response.body.size()) + "\r\n"
                                   : std::string();
    return "HTTP/1.1 " + std::to_string(response.status) + " " + ReasonPhrase(response.status) + "\r\n" + length +
           "Connection: close\r\n" + response.headers + "\r\n";
}

std::shared_ptr<const CannedResponse> StatusOnly(int status) {
    auto response = std::make_shared<CannedResponse>();
    response->status = status;
    return response;
}

}  // namespace

struct HttpTestServer::State {
    WinsockSession winsock;  // first member: torn down after every socket
    Socket listener;
    unsigned short port = 0;
    std::thread acceptor;

    mutable std::mutex mutex;
    std::condition_variable stopSignal;
    bool stopping = false;
    std::vector<std::thread> connections;
    std::map<std::string, std::vector<std::shared_ptr<const CannedResponse>>> routes;
    std::vector<std::string> requests;
    std::vector<std::string> finished;

    bool Stopping() const {
        std::lock_guard<std::mutex> lock(mutex);
        return stopping;
    }

    // Waits for delay; false when Stop() cut the wait short.
    bool Pause(std::chrono::milliseconds delay) {
        std::unique_lock<std::mutex> lock(mutex);
        return !stopSignal.wait_for(lock, delay, [this] { return stopping; });
    }

    // Records a request and picks its answer.
    std::shared_ptr<const CannedResponse> Answer(const std::string& target) {
        if (target.empty()) return StatusOnly(400);
        std::lock_guard<std::mutex> lock(mutex);
        auto route = routes.find(target);
        if (route == routes.end()) route = routes.find(target.substr(0, target.find('?')));
        const auto turn = static_cast<std::size_t>(std::count(requests.begin(), requests.end(), target));
        requests.push_back(target);
        if (route == routes.end()) return StatusOnly(404);
        return route->second[std::min(turn, route->second.size() - 1)];
    }

    // Waits until count responses to target have gone out in full; false
    // when Stop() cut the wait short.
    bool AwaitFinished(const std::string& target, int count) {
        std::unique_lock<std::mutex> lock(mutex);
        stopSignal.wait_for(lock, std::chrono::seconds(10), [&] {
            return stopping || std::count(finished.begin(), finished.end(), target) >= count;
        });
        return !stopping;
    }

    // Sends data whole, or a byte at a time with a pause before each; false
    // when the client went away or Stop() cut the trickle short.
    bool Send(SOCKET client, const std::string& data, std::chrono::milliseconds trickle) {
        if (trickle.count() == 0) return SendAll(client, data);
        for (char byte : data) {
            if (!Pause(trickle) || !SendAll(client, std::string(1, byte))) return false;
        }
        return true;
    }

    // False when the body did not go out in full or the response is to be cut.
    bool SendBody(SOCKET client, const CannedResponse& response) {
        const bool cut = response.cutAfter >= 0 && static_cast<std::size_t>(response.cutAfter) < response.body.size();
        const std::string body =
            cut ? response.body.substr(0, static_cast<std::size_t>(response.cutAfter)) : response.body;
        return Send(client, body, response.trickle) && !cut;
    }

    void Handle(Socket client) {
        // A client that stalls cannot hold up Stop() for long.
        const DWORD timeoutMs = 5000;
        for (int option : {SO_RCVTIMEO, SO_SNDTIMEO})
            setsockopt(client.Get(), SOL_SOCKET, option, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
        const std::string target = GetTarget(ReadRequestHead(client.Get()));
        const std::shared_ptr<const CannedResponse> response = Answer(target);
        if (!response->after.empty() && !AwaitFinished(response->after, response->afterCount)) return;
        if (response->delay.count() > 0 && !Pause(response->delay)) return;
        const auto headTrickle = response->trickleHead ? response->trickle : std::chrono::milliseconds(0);
        if (Send(client.Get(), ResponseHead(*response), headTrickle) && SendBody(client.Get(), *response)) {
            std::lock_guard<std::mutex> lock(mutex);
            finished.push_back(target);
            stopSignal.notify_all();
        }
        shutdown(client.Get(), SD_SEND);
    }

    // Polls so that Stop() is noticed within a twentieth of a second.
    void AcceptLoop() {
        while (!Stopping()) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(listener.Get(), &readable);
            timeval wait{0, 50000};
            const int ready = select(0, &readable, nullptr, nullptr, &wait);
            if (ready == SOCKET_ERROR) return;
            if (ready == 0) continue;
            Socket client(accept(listener.Get(), nullptr, nullptr));
            if (!client.Valid()) continue;
            std::lock_guard<std::mutex> lock(mutex);
            connections.emplace_back([this, socket = std::move(client)]() mutable { Handle(std::move(socket)); });
        }
    }

    bool Listen() {
        listener = Socket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        int length = sizeof address;
        if (!listener.Valid() || bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener.Get(), SOMAXCONN) != 0 ||
            getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            listener.Close();
            return false;
        }
        port = ntohs(address.sin_port);
        return true;
    }
};

HttpTestServer::HttpTestServer() : state_(std::make_unique<State>()) {}

HttpTestServer::~HttpTestServer() {
    Stop();
}

void HttpTestServer::Serve(const std::string& target, CannedResponse response) {
    ServeInTurn(target, {std::move(response)});
}

void HttpTestServer::ServeInTurn(const std::string& target, std::vector<CannedResponse> responses) {
    std::vector<std::shared_ptr<const CannedResponse>> turns;
    for (CannedResponse& response : responses) turns.push_back(std::make_shared<const CannedResponse>(std::move(response)));
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->routes[target] = std::move(turns);
}

void HttpTestServer::Serve(const std::string& target, int status, std::string body, std::chrono::milliseconds delay) {
    CannedResponse response;
    response.status = status;
    response.body = std::move(body);
    response.delay = delay;
    Serve(target, std::move(response));
}

bool HttpTestServer::Start() {
    if (!state_->winsock.Ready() || state_->listener.Valid() || state_->Stopping()) return false;
    if (!state_->Listen()) return false;
    state_->acceptor = std::thread([this] { state_->AcceptLoop(); });
    return true;
}

void HttpTestServer::Stop() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
    }
    state_->stopSignal.notify_all();
    if (state_->acceptor.joinable()) state_->acceptor.join();
    std::vector<std::thread> open;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        open.swap(state_->connections);
    }
    for (std::thread& connection : open) connection.join();
    state_->listener.Close();
}

unsigned short HttpTestServer::Port() const {
    return state_->port;
}

std::wstring HttpTestServer::Url(const std::wstring& target) const {
    return L"http://127.0.0.1:" + std::to_wstring(state_->port) + target;
}

int HttpTestServer::RequestCount(const std::string& target) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    int count = 0;
    for (const std::string& seen : state_->requests) count += seen == target ? 1 : 0;
    return count;
}

std::vector<std::string> HttpTestServer::Requests() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->requests;
}

int HttpTestServer::FinishedCount(const std::string& target) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return static_cast<int>(std::count(state_->finished.begin(), state_->finished.end(), target));
}
