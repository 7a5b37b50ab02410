// A small HTTP server for tests: listens on 127.0.0.1 at a port the system
// picks, answers GET requests with canned responses chosen by request target,
// and records what it was asked for. Every response closes the connection.
//
//   HttpTestServer server;
//   server.Serve("/a.xml", 200, "<catalogue/>");
//   ASSERT_TRUE(server.Start());
//   std::wstring url = server.Url(L"/a.xml");  // http://127.0.0.1:PORT/a.xml
//   ... EXPECT_EQ(server.RequestCount("/a.xml"), 1);
#ifndef WARESEEK_HTTP_TEST_SERVER_H
#define WARESEEK_HTTP_TEST_SERVER_H

#include <chrono>
#include <memory>
#include <string>
#include <vector>

struct CannedResponse {
    int status = 200;
    std::string body;
    std::chrono::milliseconds delay{0};  // wait before answering
    std::string headers;                 // extra header lines, each ending "\r\n"; Connection: close is
                                         // always sent, Content-Length too unless given here
    // When set, the body goes out a byte at a time, with this pause before each.
    std::chrono::milliseconds trickle{0};
    // With trickle, the head goes out that way too.
    bool trickleHead = false;
    // Without Content-Length the body ends where the connection is closed.
    bool sendLength = true;
    // When not negative, the connection is closed after this many body bytes.
    long long cutAfter = -1;
    // When set, nothing is sent (delay included) before afterCount responses
    // to this target have gone out in full, or 10 s have passed.
    std::string after{};
    int afterCount = 1;
};

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();  // stops the server
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // Answers requests for target (path plus any query, as sent) with response.
    // A target with a query that has no entry of its own falls back to its
    // path; anything else gets 404. May be called before or after Start().
    void Serve(const std::string& target, CannedResponse response);
    void Serve(const std::string& target, int status, std::string body,
               std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    // The n-th request for target gets the n-th response; later ones the last.
    void ServeInTurn(const std::string& target, std::vector<CannedResponse> responses);

    bool Start();  // false when the socket could not be set up
    void Stop();   // waits for open connections; pending delays and trickles are cut short

    unsigned short Port() const;
    std::wstring Url(const std::wstring& target) const;

    // Requests seen for exactly this target (path plus query, as sent).
    int RequestCount(const std::string& target) const;
    // Every request target seen, in arrival order.
    std::vector<std::string> Requests() const;
    // Responses to exactly this target whose body went out in full.
    int FinishedCount(const std::string& target) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

#endif
