#include "TaskTestSupport.h"
#include "UpdateRequest.h"
#include "UpdateVersionEvent.h"
#include "decimal_comma_locale.h"

#include <wx/stopwatch.h>

#include <climits>
#include <cstring>

using namespace tasktest;

namespace {

struct Parsed {
    bool ok;
    std::string version, url, description;
    int filesize;
};

Parsed Parse(const std::string &answer)
{
    UpdateVersionEvent event;
    bool ok = UpdateRequest::ParseAnswer(answer.c_str(), &event);
    return {ok, event.GetVersion(), event.GetUrl(), event.GetDescription(), event.GetFileSize()};
}

std::string Member(const std::string &key, const std::string &value)
{
    return "\"" + key + "\":\"" + value + "\"";
}

} // namespace

TEST(UpdateAnswer, StringMembersFillTheirFields)
{
    Parsed p = Parse("{\"version\":\"2.1.0\",\"url\":\"http://example.invalid/setup.exe\","
                     "\"description\":\"Faster sections\\\\nNew export\",\"filesize\":\"123456\",\"other\":\"x\"}");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.version, "2.1.0");
    EXPECT_EQ(p.url, "http://example.invalid/setup.exe");
    EXPECT_EQ(p.description, "Faster sections\\nNew export") << "the literal backslash-n is the frame's to expand";
    EXPECT_EQ(p.filesize, 123456);

    Parsed twice = Parse("{" + Member("version", "1.0.0") + "," + Member("version", "3.0.0") + "," +
                         Member("url", "http://h/s") + "}");
    ASSERT_TRUE(twice.ok);
    EXPECT_EQ(twice.version, "3.0.0") << "a later member overwrites an earlier one";

}

TEST(UpdateAnswer, AnswersNamingNoVersionAreRefused)
{
    for (const char *answer : {"{}", "[]", "\"2.0.0\"", "42", "not json at all", "",
                               "{\"version\":\"2.0.0\"", "{\"version\":\"2.0.0\"} trailing",
                               "{\"url\":\"http://x/setup.exe\",\"description\":\"new\"}", "{\"Version\":\"2.0.0\"}",
                               "{\"version\":2.0}", "{\"version\":null}", "{\"version\":[\"2.0.0\"]}",
                               "{\"version\":{\"major\":2}}", "{\"version\":true}"}) {
        SCOPED_TRACE(answer);
        EXPECT_FALSE(Parse(answer).ok);
    }
}

// The program runs under the user's locale; the answer reads the same.
TEST(UpdateAnswer, ADecimalCommaLocaleReadsTheSameAnswer)
{
    DecimalCommaLocale locale;
    ASSERT_DECIMAL_COMMA_LOCALE(locale);
    Parsed p = Parse("{\"version\":\"2.1.10\",\"url\":\"http://h/setup_2.1.10.exe\",\"description\":\"1.5 times faster\","
                     "\"filesize\":\"123456\",\"other\":[1.5,-2.25e3]}");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.version, "2.1.10");
    EXPECT_EQ(p.url, "http://h/setup_2.1.10.exe");
    EXPECT_EQ(p.description, "1.5 times faster");
    EXPECT_EQ(p.filesize, 123456);
}

TEST(UpdateAnswer, MembersOfOtherTypesOrNoAddressRefuseTheWholeAnswer)
{
    const std::string version = Member("version", "2.0.0"), url = Member("url", "http://h/setup");
    for (const std::string &members :
         {version + ",\"url\":7", version + ",\"url\":null", version + ",\"url\":[\"http://h/setup\"]",
          version + "," + url + ",\"description\":[\"a\"]", version + "," + url + ",\"description\":{}",
          version + "," + url + ",\"filesize\":1000", version + "," + url + ",\"filesize\":true",
          url + ",\"version\":2", version + "," + url + "," + "\"url\":false", version,
          version + "," + Member("url", ""), Member("version", "") + "," + url}) {
        SCOPED_TRACE(members);
        EXPECT_FALSE(Parse("{" + members + "}").ok);
    }
    Parsed least = Parse("{" + version + "," + url + ",\"other\":[1,{}]}");
    ASSERT_TRUE(least.ok) << "members of other names may be anything";
    EXPECT_EQ(least.description, "");
    EXPECT_EQ(least.filesize, 0);
}

TEST(UpdateAnswer, OverlongVersionOrAddressRefusesTheAnswer)
{
    EXPECT_TRUE(Parse("{" + Member("version", std::string(63, '9')) + "," + Member("url", "http://h/s") + "}").ok);
    EXPECT_FALSE(Parse("{" + Member("version", std::string(64, '9')) + "," + Member("url", "http://h/s") + "}").ok);
    EXPECT_FALSE(Parse("{" + Member("version", "2.0.0") + "," + Member("version", std::string(500, '1')) + "," + Member("url", "http://h/s") + "}").ok);

    std::string url259 = "http://h/" + std::string(250, 'u');
    Parsed fits = Parse("{" + Member("version", "2.0.0") + "," + Member("url", url259) + "}");
    ASSERT_TRUE(fits.ok);
    EXPECT_EQ(fits.url, url259);
    EXPECT_FALSE(Parse("{" + Member("version", "2.0.0") + "," + Member("url", url259 + "u") + "}").ok)
        << "a cut address would fetch another file";
}

TEST(UpdateAnswer, OverlongDescriptionIsCutOnACharacterBoundary)
{
    std::string wide;
    for (int i = 0; i < 200; i++)
        wide += "\xc3\xa9"; // é, two bytes
    std::string description = "xx" + wide; // 402 bytes; byte 259 falls inside a character
    Parsed p = Parse("{" + Member("version", "2.0.0") + "," + Member("description", description) + "," + Member("url", "http://h/s") + "}");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.description.size(), 258u);
    EXPECT_EQ(p.description, description.substr(0, 258));
    EXPECT_FALSE(wxString::FromUTF8(p.description.c_str()).empty()) << "still valid UTF-8";

    std::string ascii(300, 'd');
    Parsed cut = Parse("{" + Member("version", "2.0.0") + "," + Member("description", ascii) + "," + Member("url", "http://h/s") + "}");
    EXPECT_EQ(cut.description, ascii.substr(0, 259));
}

TEST(UpdateAnswer, FileSizeIsDigitsAloneWithinWhatTheDownloadTakes)
{
    auto parse = [](const std::string &text) {
        return Parse("{" + Member("version", "2.0.0") + "," + Member("filesize", text) + "," + Member("url", "http://h/s") + "}");
    };
    const struct {
        const char *text;
        bool ok;
        int size;
    } cases[] = {
        {"2048", true, 2048},   {"0", true, 0},       {"536870912", true, 536870912},
        {"1e9", false, 0},      {" 77 bytes", false, 0}, {"77 ", false, 0}, {"abc", false, 0},
        {"-5", false, 0},       {"+5", false, 0},      {"", false, 0},     {"4096.0", false, 0},
        {"536870913", false, 0}, // larger than the download takes
        {"99999999999999", false, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const Parsed p = parse(c.text);
        EXPECT_EQ(p.ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(p.filesize, c.size);
        }
    }
}

TEST(UpdateAnswer, AnAddressTheDownloadCannotFetchIsNoAnswer)
{
    for (const char *url : {"https://h/setup", "ftp://h/setup", "h/setup", "http://", "http://h:0/s",
                            "http://h:99999/s", "http://h/a b", "http://user@h/s"}) {
        SCOPED_TRACE(url);
        EXPECT_FALSE(Parse("{" + Member("version", "2.0.0") + "," + Member("url", url) + "}").ok);
    }
    EXPECT_TRUE(Parse("{" + Member("version", "2.0.0") + "," + Member("url", "http://h:8080/s") + "}").ok);
}

TEST(UpdateVersionCompare, NumbersCountAsMajorTimesTenThousandAndMinorTimesAHundred)
{
    EXPECT_TRUE(UpdateRequest::IsNewer("1.2.10", "1.2.3"));
    EXPECT_FALSE(UpdateRequest::IsNewer("1.2.3", "1.2.3"));
    EXPECT_FALSE(UpdateRequest::IsNewer("1.2.2", "1.2.3"));
    EXPECT_FALSE(UpdateRequest::IsNewer("1.2.100", "1.3.0")) << "a part of 100 spills into the next";
    EXPECT_TRUE(UpdateRequest::IsNewer("1.2.101", "1.3.0"));
    EXPECT_TRUE(UpdateRequest::IsNewer("2", "1.2.3")) << "missing parts keep the program's own";
    EXPECT_FALSE(UpdateRequest::IsNewer("1.2", "1.2.3"));
    EXPECT_FALSE(UpdateRequest::IsNewer("garbage", "1.2.3"));
    EXPECT_FALSE(UpdateRequest::IsNewer("", "1.2.3"));
    EXPECT_TRUE(UpdateRequest::IsNewer("99999999999.0.0", "1.2.3")) << "no overflow";
    EXPECT_FALSE(UpdateRequest::IsNewer("-99999999999.0.0", "1.2.3"));
}

namespace {

class UpdateCheckTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TOOLKIT_STARTED(); }

    // Runs the update task against the configured server; how long it took.
    long Check(EventRecorder &recorder)
    {
        wxStopWatch clock;
        EXPECT_TRUE(RunTask(new TaskThread(&recorder, TASK_CHECK_UPDATE, wxString()), recorder));
        if (!recorder.events.empty()) {
            EXPECT_EQ(recorder.events.front().type, EVT_TASK_START);
            EXPECT_EQ(recorder.events.back().type, EVT_TASK_FINISH);
            EXPECT_EQ(recorder.events.back().code, TASK_CHECK_UPDATE);
        }
        return clock.Time();
    }

    // The updates posted for one canned answer.
    std::vector<RecordedUpdate> UpdatesFor(const std::vector<std::string> &pieces)
    {
        OneShotHttpServer server(pieces);
        UpdateServerConfig config("127.0.0.1", server.port());
        EventRecorder recorder;
        Check(recorder);
        return recorder.updates;
    }
};

std::string NewerAnswer()
{
    return "{\"version\":\"99.1.2\",\"url\":\"http://127.0.0.1/cv/setup.exe\","
           "\"description\":\"Road survey \\u00e9dition\",\"filesize\":\"4096\"}";
}

} // namespace

TEST_F(UpdateCheckTest, NewerVersionPostsOneEventWithItsFields)
{
    OneShotHttpServer server({OneShotHttpServer::Answer(NewerAnswer())});
    UpdateServerConfig config("127.0.0.1", server.port());
    EventRecorder recorder;
    Check(recorder);
    ASSERT_EQ(recorder.updates.size(), 1u);
    const RecordedUpdate &update = recorder.updates[0];
    EXPECT_EQ(update.version, "99.1.2");
    EXPECT_EQ(update.url, "http://127.0.0.1/cv/setup.exe");
    EXPECT_EQ(update.description, "Road survey \xc3\xa9" "dition");
    EXPECT_EQ(update.filesize, 4096);
    EXPECT_EQ(recorder.events.size(), 2u) << "the request has no progress steps";

    std::string request = server.request();
    EXPECT_EQ(request.rfind("GET /cv/cv_update.php HTTP/1.", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"), std::string::npos)
        << "a server of several sites tells them apart by the port: " << request;
}

TEST_F(UpdateCheckTest, TheProgramsOwnOrAnOlderVersionPostsNothing)
{
    EXPECT_TRUE(UpdatesFor({OneShotHttpServer::Answer("{\"version\":\"" + std::string(cvVersion) + "\",\"url\":\"http://h/s\"}")}).empty());
    EXPECT_TRUE(UpdatesFor({OneShotHttpServer::Answer("{\"version\":\"0.0.1\",\"url\":\"http://h/s\"}")}).empty());
}

TEST_F(UpdateCheckTest, AnswersWithoutAUsableVersionOrAddressPostNothing)
{
    const std::string overlong = "{\"version\":\"" + std::string(80, '9') + "\",\"url\":\"http://x/s\"}";
    for (const std::string &body : {std::string("{}"), std::string("{\"url\":\"http://x/s.exe\",\"description\":\"d\"}"),
                                    std::string("<html>Not here</html>"), std::string("{\"version\":\"99.0.0\""),
                                    std::string("{\"version\":99}"), overlong,
                                    std::string("{\"version\":\"99.0.0\",\"url\":7}"),
                                    std::string("{\"version\":\"99.0.0\",\"url\":\"http://x/s\",\"filesize\":4096}")}) {
        SCOPED_TRACE(body);
        EXPECT_TRUE(UpdatesFor({OneShotHttpServer::Answer(body)}).empty());
    }
    EXPECT_TRUE(UpdatesFor({OneShotHttpServer::Answer(NewerAnswer(), "404 Not Found")}).empty())
        << "an error page is no answer";
    EXPECT_TRUE(UpdatesFor({"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"}).empty());
}

TEST_F(UpdateCheckTest, OnlyASoundAnswerWithStatus200IsOffered)
{
    const std::string body = NewerAnswer();
    const std::string length = "Content-Length: " + std::to_string(body.size()) + "\r\n";
    const struct {
        std::string head;
        size_t updates;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\n" + length + "\r\n", 1},
        {"HTTP/1.0 200 OK\r\n\r\n", 1},
        {"HTTP/1.1 200 OK\r\n" + length + length + "\r\n", 1},
        {"HTTP/1.1 204 No Content\r\n" + length + "\r\n", 0},
        {"HTTP/1.1 206 Partial Content\r\n" + length + "\r\n", 0},
        {"HTTP/1.1 2 OK\r\n" + length + "\r\n", 0},
        {"HTTP/1.1 2xx OK\r\n" + length + "\r\n", 0},
        {"HTTP/1.1 2000 Bogus\r\n" + length + "\r\n", 0},
        {"HTTP/1.1 200x\r\n" + length + "\r\n", 0},
        {"HTTP/ 200\r\n" + length + "\r\n", 0},
        {"HTTP/1.1 200 OK\r\nContent-Length : " + std::to_string(body.size()) + "\r\n\r\n", 0},
        {"HTTP/1.1 200 OK\r\n" + length + "Content-Length: 3\r\n\r\n", 0},
        {"HTTP/1.1 200 OK\nContent-Length: " + std::to_string(body.size()) + "\n\n", 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size() + 10) + "\r\n\r\n", 0}, // cut short
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(UpdatesFor({c.head + body}).size(), c.updates);
    }
}

TEST_F(UpdateCheckTest, AnAnswerArrivingInPiecesIsReadWhole)
{
    const std::string whole = OneShotHttpServer::Answer(NewerAnswer(), "200 OK", false);
    const size_t cut = whole.size() - 20;
    std::vector<RecordedUpdate> updates = UpdatesFor({whole.substr(0, cut), whole.substr(cut)});
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].filesize, 4096);
}

TEST_F(UpdateCheckTest, OnlyTheFirstKilobyteIsRead)
{
    std::string padded = "{\"version\":\"99.0.0\",\"url\":\"http://h/s\",\"description\":\"" + std::string(1000, 'p') + "\"}";
    ASSERT_GT(padded.size(), 1024u);
    EXPECT_TRUE(UpdatesFor({OneShotHttpServer::Answer(padded)}).empty()) << "the object does not end in time";

    std::string fits = "{\"version\":\"99.0.0\",\"url\":\"http://h/s\",\"description\":\"" + std::string(900, 'p') + "\"}";
    ASSERT_LE(fits.size(), 1024u);
    EXPECT_EQ(UpdatesFor({OneShotHttpServer::Answer(fits)}).size(), 1u);
}

TEST_F(UpdateCheckTest, UnsetServerEndsAtOnceWithoutAsking)
{
    UpdateServerConfig config("", 0);
    EventRecorder recorder;
    long took = Check(recorder);
    EXPECT_TRUE(recorder.updates.empty());
    EXPECT_EQ(recorder.events.size(), 2u);
    EXPECT_LT(took, 2000);
}

TEST_F(UpdateCheckTest, UnreachableOrSilentServerEndsQuietlyInBoundedTime)
{
    {
        UpdateServerConfig config("127.0.0.1", ClosedPort());
        EventRecorder recorder;
        EXPECT_LT(Check(recorder), 3000);
        EXPECT_TRUE(recorder.updates.empty());
    }
    {
        UpdateServerConfig config("no-such-host.invalid", 80);
        EventRecorder recorder;
        EXPECT_LT(Check(recorder), 15000);
        EXPECT_TRUE(recorder.updates.empty());
    }
    {
        OneShotHttpServer server({}, true);
        UpdateServerConfig config("127.0.0.1", server.port(), 1);
        EventRecorder recorder;
        EXPECT_LT(Check(recorder), 6000) << "the configured time-out bounds a server that never answers";
        EXPECT_TRUE(recorder.updates.empty());
    }
    {
        UpdateServerConfig config("127.0.0.1", 70000);
        EventRecorder recorder;
        EXPECT_LT(Check(recorder), 2000);
        EXPECT_TRUE(recorder.updates.empty()) << "a port out of range asks nobody";
    }
}
