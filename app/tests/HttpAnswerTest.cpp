// The one reader of HTTP answer heads that the update check and the setup
// download share: what it takes and what it refuses.  How a head that never
// comes whole is told apart is shown through the download's messages.
#include "HttpAnswer.h"
#include "HttpSocket.h"
#include "TaskTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace tasktest;

namespace {

struct HeadCase {
    std::string head;
    bool sound;
    HttpAnswer::Fault fault;
    int status;
    int64_t length;
};

} // namespace

TEST(HttpAnswerHead, OnlyAStatusLineHttp1xNnnReasonAndWellFormedFieldsAreTaken)
{
    const std::string end = "\r\n\r\n";
    const HeadCase cases[] = {
        {"HTTP/1.1 200 OK" + end, true, HttpAnswer::NO_FAULT, 200, -1},
        {"HTTP/1.0 200 " + end, true, HttpAnswer::NO_FAULT, 200, -1},
        {"HTTP/1.0 200" + end, true, HttpAnswer::NO_FAULT, 200, -1},
        {"HTTP/1.1 404 Not Found" + end, true, HttpAnswer::NO_FAULT, 404, -1},
        {"HTTP/1.1 204 No Content" + end, true, HttpAnswer::NO_FAULT, 204, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nServer: x\r\n\r\n", true, HttpAnswer::NO_FAULT, 200, 5},
        {"HTTP/1.1 200 OK\r\ncontent-length:\t7 \r\ncontent-length: 7\r\n\r\n", true, HttpAnswer::NO_FAULT, 200, 7},
        {"HTTP/1.1 200 OK\r\nX-Empty:\r\n\r\n", true, HttpAnswer::NO_FAULT, 200, -1},
        // The status line.
        {"HTTP/1.1 2000 Bogus" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.1 200x" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/ 200" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.1 2 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.1 2xx OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.1  200 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/2 200 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.x 200 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"http/1.1 200 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.1 099 Low" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.1 600 High" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"HTTP/1.1 -20 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {std::string("HTTP/1.1 200 O\0K", 16) + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {" HTTP/1.1 200 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        {"200 OK" + end, false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
        // The fields.
        {"HTTP/1.1 200 OK\r\nContent-Length : 5\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length: 1e3\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5, 5\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length:\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE,
         200, -1},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n", false, HttpAnswer::LENGTHS_DIFFER,
         200, 5},
        {"HTTP/1.1 200 OK\r\nno colon here\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\n: value\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nX-A: 1\r\n  folded on\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nBad Name: 1\r\n\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {std::string("HTTP/1.1 200 OK\r\nX-A: a\0b\r\n\r\n", 29), false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK\r\nX-A: 1\r\n", false, HttpAnswer::BAD_HEADER_LINE, 200, -1},
        {"HTTP/1.1 200 OK", false, HttpAnswer::BAD_STATUS_LINE, 0, -1},
    };
    for (const HeadCase &c : cases) {
        SCOPED_TRACE(c.head);
        HttpAnswer answer;
        EXPECT_EQ(answer.Read(c.head), c.sound);
        EXPECT_EQ(answer.GetFault(), c.fault);
        EXPECT_EQ(answer.GetStatus(), c.status);
        EXPECT_EQ(answer.GetLength(), c.length);
        EXPECT_EQ(answer.GetFaultLine().find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    }
}

TEST(HttpAnswerHead, TheLineAtFaultIsNamedShortAndPrintable)
{
    HttpAnswer answer;
    ASSERT_FALSE(answer.Read("HTTP/1.1 200 OK\r\nContent-Length : 5\r\n\r\n"));
    EXPECT_EQ(answer.GetFaultLine(), "Content-Length : 5");
    ASSERT_FALSE(answer.Read("HTTP/1.1 200 OK\r\nX-Long: " + std::string(500, 'v') + "\t\r\nbad\r\n\r\n"));
    EXPECT_EQ(answer.GetFaultLine(), "bad");
    ASSERT_FALSE(answer.Read("HTTP/1.1 \x01\xc3\xa9" + std::string(500, 's') + "\r\n\r\n"));
    EXPECT_EQ(answer.GetFaultLine().size(), 80u);
    EXPECT_EQ(answer.GetFaultLine().substr(0, 12), "HTTP/1.1 ???");
}

TEST(HttpAnswerArrival, TheRequestNamesTheHostWithItsPortUnlessItIsTheDefault)
{
    for (unsigned short port : {(unsigned short)0, (unsigned short)80, (unsigned short)8080}) {
        OneShotHttpServer server({"HTTP/1.0 200 OK\r\n\r\n"});
        HttpSocket socket;
        const wxStopWatch clock;
        ASSERT_TRUE(socket.Connect("127.0.0.1", server.port(), clock, 5000));
        ASSERT_TRUE(socket.SendGet("/cv/x", "updates.example", port, "application/json", clock, 5000));
        HttpAnswer answer;
        EXPECT_EQ(answer.Receive(socket, clock, 5000), HttpAnswer::HEAD_WHOLE);
        const std::string host = port == 8080 ? "updates.example:8080" : "updates.example";
        EXPECT_EQ(server.request(), "GET /cv/x HTTP/1.0\r\nHost: " + host +
                                        "\r\nAccept: application/json\r\nConnection: close\r\n\r\n");
    }
}
