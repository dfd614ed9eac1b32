// The media command interface over GStreamer: real audio from the local catalog service
// over HTTPS, played through a real playbin (a clocked null sink when there is no sound
// device), and the command parser on its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "platform/mci/mci_command.h"
#include "platform/mci/mci_errors.h"
#include "platform/mci/mci_send_string.h"
#include "support/catalog_server.h"
#include "support/local_http_server.h"
#include "support/test_tls.h"
#include "support/wait_until.h"

namespace vorel::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Answer {
  int code = -1;
  std::string reply;
};

Answer Send(const std::string& command, int replyLength = 128) {
  std::string buffer(static_cast<std::size_t>(replyLength) + 1, '#');
  Answer answer;
  answer.code = MciSendString(command, buffer.data(), replyLength);
  answer.reply = buffer.substr(0, buffer.find('\0'));
  return answer;
}

int Number(const std::string& command) { return std::atoi(Send(command).reply.c_str()); }

std::string PercentEncode(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const unsigned char c : utf8) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0xF];
    }
  }
  return encoded;
}

// Songs of the sample library.
constexpr std::string_view kCbrWithoutHeader = "陈静 - 花开.mp3";  // 5 s, 128 kbit/s, no Xing header
constexpr std::string_view kFlac = "林小雨 - 百花香.flac";         // 3 s
constexpr std::string_view kLong = "白云乐队 - 长夜.mp3";          // 135 s, 320 kbit/s
constexpr std::string_view kShort = "李娜娜 - 雪花.mp3";           // 2 s

class MciServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { catalog = std::make_unique<test::CatalogServer>(); }
  static void TearDownTestSuite() {
    Send("close all");
    catalog.reset();
  }

  void SetUp() override { ASSERT_TRUE(catalog->running()) << "the local catalog service did not start"; }
  void TearDown() override { Send("close all"); }

  static std::string MediaUrl(std::string_view file) {
    return catalog->baseUrl() + "/media/" + PercentEncode(file);
  }

  static int Open(std::string_view file, const std::string& alias) {
    return Send("open \"" + MediaUrl(file) + "\" type MPEGVideo alias " + alias).code;
  }

  static inline std::unique_ptr<test::CatalogServer> catalog;
};

TEST_F(MciServiceTest, PlaysPausesResumesStopsAndCloses) {
  ASSERT_EQ(Open(kCbrWithoutHeader, "song"), 0);
  EXPECT_EQ(Send("status song mode").reply, "stopped");
  EXPECT_EQ(Send("status song position").reply, "0");

  const auto started = Clock::now();
  ASSERT_EQ(Send("play song from 0").code, 0);
  EXPECT_EQ(Send("status song mode").reply, "playing");
  ASSERT_TRUE(test::WaitUntil([] { return Number("status song position") >= 1000; }));
  // The sink keeps to the clock: the position never runs ahead of the time that passed.
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
  EXPECT_LE(Number("status song position"), elapsed + 250);

  ASSERT_EQ(Send("pause song").code, 0);
  EXPECT_EQ(Send("status song mode").reply, "paused");
  const int held = Number("status song position");
  const auto pausedAt = Clock::now();
  ASSERT_TRUE(test::WaitUntil([&] { return Clock::now() - pausedAt > 400ms; }));
  EXPECT_NEAR(Number("status song position"), held, 20);
  EXPECT_EQ(Send("pause song").code, 0) << "pausing paused media is accepted";

  ASSERT_EQ(Send("resume song").code, 0);
  EXPECT_EQ(Send("status song mode").reply, "playing");
  ASSERT_TRUE(test::WaitUntil([&] { return Number("status song position") >= held + 300; }));

  ASSERT_EQ(Send("stop song").code, 0);
  EXPECT_EQ(Send("status song mode").reply, "stopped");
  EXPECT_NE(Send("pause song").code, 0) << "stopped media refuses pause";
  EXPECT_NE(Send("resume song").code, 0);

  ASSERT_EQ(Send("close song").code, 0);
  EXPECT_EQ(Send("status song mode").code, mci_error::kInvalidDeviceName);
  EXPECT_EQ(Send("pause song").code, mci_error::kInvalidDeviceName);
  EXPECT_EQ(Send("play song from 0").code, mci_error::kInvalidDeviceName);
  EXPECT_EQ(Send("close song").code, mci_error::kInvalidDeviceName);
}

TEST_F(MciServiceTest, LengthIsKnownRightAfterOpenAndAfterPlay) {
  struct Case {
    std::string_view file;
    int lengthMs;
    int toleranceMs;
  };
  const Case cases[] = {
      {kCbrWithoutHeader, 5000, 150},  // encoder delay and padding add up to ~50 ms
      {kFlac, 3000, 20},
      {kLong, 135000, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file));
    ASSERT_EQ(Open(c.file, "measured"), 0);
    EXPECT_NEAR(Number("status measured length"), c.lengthMs, c.toleranceMs);
    ASSERT_EQ(Send("play measured from 0").code, 0);
    EXPECT_NEAR(Number("status measured length"), c.lengthMs, c.toleranceMs);
    EXPECT_NEAR(Number("status measured length track 1"), c.lengthMs, c.toleranceMs);
    ASSERT_EQ(Send("close measured").code, 0);
  }
  // A file name (blanks, Chinese) opens as well as an address.
  ASSERT_EQ(Send("open \"" + test::SampleMusicDir() + "/" + std::string(kFlac) + "\" alias local").code, 0);
  EXPECT_NEAR(Number("status local length"), 3000, 20);
}

TEST_F(MciServiceTest, MediaThatPlayedToItsEndIsStoppedAndPlaysAgainFromTheStart) {
  ASSERT_EQ(Open(kFlac, "ending"), 0);
  ASSERT_EQ(Send("play ending from 2200").code, 0);
  ASSERT_TRUE(test::WaitUntil([] { return Send("status ending mode").reply == "stopped"; }));
  EXPECT_NEAR(Number("status ending position"), 3000, 100);
  EXPECT_NE(Send("pause ending").code, 0) << "media at its end refuses pause";
  EXPECT_NE(Send("resume ending").code, 0);

  ASSERT_EQ(Send("play ending").code, 0);
  EXPECT_EQ(Send("status ending mode").reply, "playing");
  ASSERT_TRUE(test::WaitUntil([] { return Number("status ending position") > 100; }));
  EXPECT_LT(Number("status ending position"), 2500);
}

TEST_F(MciServiceTest, PlayToStopsThereAndRepeatStartsOver) {
  ASSERT_EQ(Open(kCbrWithoutHeader, "bounded"), 0);
  ASSERT_EQ(Send("play bounded from 500 to 1200").code, 0);
  ASSERT_TRUE(test::WaitUntil([] { return Send("status bounded mode").reply == "stopped"; }));
  EXPECT_NEAR(Number("status bounded position"), 1200, 100);

  // A later play without "to" runs past the old bound.
  ASSERT_EQ(Send("play bounded from 1000").code, 0);
  ASSERT_TRUE(test::WaitUntil([] { return Number("status bounded position") > 1500; }));

  ASSERT_EQ(Open(kShort, "looped"), 0);
  ASSERT_EQ(Send("seek looped to 1500").code, 0);
  ASSERT_EQ(Send("play looped repeat").code, 0);
  ASSERT_TRUE(test::WaitUntil([] { return Number("status looped position") > 1700; }));
  ASSERT_TRUE(test::WaitUntil([] { return Number("status looped position") < 1000; }))
      << "repeat starts again at the end";
  EXPECT_EQ(Send("status looped mode").reply, "playing");
}

TEST_F(MciServiceTest, SeeksAndStepsLeaveTheMediaWhereAsked) {
  ASSERT_EQ(Open(kCbrWithoutHeader, "seeker"), 0);
  const int length = Number("status seeker length");
  ASSERT_GT(length, 4000);

  struct Case {
    std::string command;
    int position;
    std::string mode;
  };
  const Case cases[] = {
      {"seek seeker to 2000", 2000, "stopped"},  {"step seeker by 10", 2400, "paused"},
      {"step seeker reverse", 2360, "paused"},   {"step seeker", 2400, "paused"},
      {"seek seeker to start", 0, "stopped"},    {"step seeker by -5", 0, "paused"},
      {"seek seeker to end", length, "stopped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    ASSERT_EQ(Send(c.command).code, 0);
    EXPECT_NEAR(Number("status seeker position"), c.position, 60);
    EXPECT_EQ(Send("status seeker mode").reply, c.mode);
  }
  EXPECT_EQ(Send("seek seeker to " + std::to_string(length + 1000)).code, mci_error::kOutOfRange);
  EXPECT_EQ(Send("play seeker from " + std::to_string(length + 1000)).code, mci_error::kOutOfRange);
  EXPECT_EQ(Send("play seeker from 2000 to 1000").code, mci_error::kOutOfRange);
}

TEST_F(MciServiceTest, SettingsAndTheirStatus) {
  ASSERT_EQ(Open(kFlac, "knobs"), 0);
  struct Case {
    std::string command;
    int code;
    std::string query;  // asked afterwards when not empty
    std::string reply;
  };
  const Case cases[] = {
      {"status knobs volume", 0, "", ""},
      {"setaudio knobs volume to 250", 0, "status knobs volume", "250"},
      {"setaudio knobs volume to 1001", mci_error::kOutOfRange, "status knobs volume", "250"},
      {"setvideo knobs brightness to 700", 0, "status knobs brightness", "700"},
      {"set knobs time format milliseconds", 0, "status knobs time format", "milliseconds"},
      {"set knobs time format ms", 0, "", ""},
      {"set knobs time format tmsf", mci_error::kBadTimeFormat, "status knobs time format", "milliseconds"},
      {"status knobs current track", 0, "status knobs current track", "1"},
      {"status knobs length track 2", mci_error::kOutOfRange, "", ""},
      {"set knobs door open", mci_error::kUnsupportedFunction, "", ""},
  };
  EXPECT_EQ(Send("status knobs volume").reply, "1000");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(Send(c.command).code, c.code);
    if (!c.query.empty()) {
      EXPECT_EQ(Send(c.query).reply, c.reply);
    }
  }
  // The reply is cut to the buffer, zero-terminated, and the cut is reported.
  EXPECT_EQ(Send("status knobs time format", 5).code, mci_error::kParamOverflow);
  EXPECT_EQ(Send("status knobs time format", 5).reply, "mill");
  EXPECT_EQ(Send("status knobs mode", 8).reply, "stopped");
}

TEST_F(MciServiceTest, CommandsWithoutOpenMediaAndFailedOpensAreRefused) {
  ASSERT_EQ(Open(kFlac, "present"), 0);

  struct Case {
    std::string command;
    int code;
  };
  const std::string refused = "https://127.0.0.1:" + std::to_string(test::RefusedPort()) + "/media/a.mp3";
  const Case cases[] = {
      {"pause never", mci_error::kInvalidDeviceName},
      {"pause ", mci_error::kMissingDeviceName},
      {"status nobody position", mci_error::kInvalidDeviceName},
      {"open \"" + MediaUrl("nothing here.mp3") + "\" type MPEGVideo alias gone", mci_error::kFileNotFound},
      {"open \"" + catalog->baseUrl() + "/?kw=x&p=1&lx=kw\" type MPEGVideo alias page",
       mci_error::kInvalidFile},
      {"open \"" + refused + "\" type MPEGVideo alias nohost", mci_error::kFileNotFound},
      {"open \"/nonexistent/folder/song.mp3\" type MPEGVideo alias nofile", mci_error::kFileNotFound},
      {"open \"\" type MPEGVideo alias empty", mci_error::kMissingDeviceName},
      {"open \"" + MediaUrl(kShort) + "\" type MPEGVideo alias PRESENT", mci_error::kDuplicateAlias},
      {"open \"" + MediaUrl(kShort) + "\" type waveaudio alias wave", mci_error::kDeviceNotInstalled},
      {"set cdaudio door open", mci_error::kDeviceNotReady},  // this machine has no CD drive
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(Send(c.command).code, c.code);
  }
  for (const char* alias : {"gone", "page", "nohost", "nofile", "wave"}) {
    EXPECT_EQ(Send(std::string("pause ") + alias).code, mci_error::kInvalidDeviceName) << alias;
  }

  // Aliases are matched without regard to case; the open media is untouched by all this.
  EXPECT_EQ(Send("status PRESENT mode").reply, "stopped");
}

// HTTPS media trust the authority named by SSL_CERT_FILE, and only that. (A server that
// this process already reached with a trusted certificate may resume that TLS session
// without a new check, so the refusal is tried on a server not reached before.)
TEST_F(MciServiceTest, HttpsTrustsTheAuthorityOfSslCertFile) {
  test::TestTls tls;
  ASSERT_TRUE(tls.ok()) << tls.log();
  test::LocalHttpServer server(test::LocalHttpServer::Tls{tls.server().certFile, tls.server().keyFile});
  ASSERT_TRUE(server.running());
  std::ifstream file(test::SampleMusicDir() + "/" + std::string(kShort), std::ios::binary);
  const std::string song((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(song.empty());
  server.Handle("/song.mp3", [&song](const test::ReceivedRequest&) {
    test::Reply reply;
    reply.headerLines = {"Content-Type: audio/mpeg"};
    reply.body = song;
    return reply;
  });
  const std::string open = "open \"" + server.url("/song.mp3", "localhost") + "\" type MPEGVideo alias ";
  {
    test::ScopedTrustFile trust(catalog->caFile());
    EXPECT_EQ(Send(open + "untrusted").code, mci_error::kFileNotFound);
  }
  {
    test::ScopedTrustFile trust(tls.caFile());
    ASSERT_EQ(Send(open + "trusted").code, 0);
    EXPECT_NEAR(Number("status trusted length"), 2000, 150);
  }
}

// A stream whose server hangs up early (and refuses ranges, so it cannot be resumed)
// ends up stopped rather than "playing" for ever: pause is refused, so the program opens
// it afresh, and another play stops again. The break may even come before the open
// completes, which then fails.
TEST_F(MciServiceTest, StreamCutShortEndsStopped) {
  std::ifstream file(test::SampleMusicDir() + "/" + std::string(kCbrWithoutHeader), std::ios::binary);
  const std::string song((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(song.size(), 60000u);
  test::LocalHttpServer server;
  ASSERT_TRUE(server.running());
  server.Handle("/cut.mp3", [&song](const test::ReceivedRequest&) {
    test::Reply reply;
    reply.headerLines = {"Content-Type: audio/mpeg"};
    reply.body = song;
    reply.closeAfter = 24000;  // about 1.5 s of the 5 s
    return reply;
  });
  const int opened = Send("open \"" + server.url("/cut.mp3") + "\" type MPEGVideo alias cut").code;
  if (opened != 0) {
    EXPECT_EQ(opened, mci_error::kFileNotFound);
    return;
  }
  const auto stopped = [] { return Send("status cut mode").reply == "stopped"; };
  for (int attempt = 0; attempt < 2; ++attempt) {
    SCOPED_TRACE(attempt);
    Send("play cut from 0");  // refused, or accepted and soon broken off
    ASSERT_TRUE(test::WaitUntil(stopped));
    EXPECT_NE(Send("pause cut").code, 0);
    EXPECT_NE(Send("resume cut").code, 0);
  }
  EXPECT_GE(server.requests().size(), 2u) << "playing again asks the server again";
}

TEST_F(MciServiceTest, CloseAllClosesEveryOpenMedia) {
  ASSERT_EQ(Open(kFlac, "first"), 0);
  ASSERT_EQ(Open(kShort, "second"), 0);
  ASSERT_EQ(Send("play second from 0").code, 0);
  EXPECT_EQ(Send("close second all").code, 0);
  EXPECT_EQ(Send("status first mode").code, mci_error::kInvalidDeviceName);
  EXPECT_EQ(Send("status second mode").code, mci_error::kInvalidDeviceName);
  EXPECT_EQ(Send("close all").code, 0);
}

// Any text at all: the parser answers with an error or a command, and never reads
// beyond the text.
TEST(MciCommandParser, SurvivesArbitraryText) {
  const std::string_view pieces[] = {
      "open", "play", "status",  "set",    "step",       "seek",   "close", "setaudio",
      "\"",   " ",    "\t",      "to",     "from",       "by",     "-",     "99999999999",
      "a",    "all",  "time",    "format", "track",      "length", "door",  "\xB0\xD9",
      "\0",   "1",    "reverse", "volume", "brightness", "notify", "alias", "\"x y\""};
  unsigned state = 12345;
  auto next = [&state] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7FFF; };
  int parsed = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    const unsigned count = next() % 8;
    for (unsigned j = 0; j < count; ++j) text += pieces[next() % std::size(pieces)];
    const MciParseResult result = ParseMciCommand(text);
    if (result.error == 0) {
      ++parsed;
      EXPECT_FALSE(result.command.device.empty()) << text;
    } else {
      EXPECT_GT(result.error, 0) << text;
    }
  }
  EXPECT_GT(parsed, 0);
}

TEST(MciCommandParser, RefusesMalformedCommands) {
  struct Case {
    std::string_view text;
    int error;
  };
  const Case cases[] = {
      {"", mci_error::kMissingCommandString},
      {"   \t ", mci_error::kMissingCommandString},
      {"dance a", mci_error::kUnrecognizedCommand},
      {"pause", mci_error::kMissingDeviceName},
      {"pause ", mci_error::kMissingDeviceName},
      {"pause \"\"", mci_error::kMissingDeviceName},
      {"pause a now", mci_error::kUnrecognizedKeyword},
      {"open \"http://x/a.mp3 type MPEGVideo alias a", mci_error::kNoClosingQuote},
      {"open \"http://x/a.mp3\" type", mci_error::kMissingStringArgument},
      {"open \"http://x/a.mp3\" alias", mci_error::kMissingStringArgument},
      {"open \"http://x/a.mp3\" alias a alias b", mci_error::kDuplicateFlags},
      {"open \"http://x/a.mp3\" parent x", mci_error::kBadInteger},
      {"open \"http://x/a.mp3\" style sideways", mci_error::kUnrecognizedKeyword},
      {"play a from", mci_error::kMissingParameter},
      {"play a from -5", mci_error::kBadInteger},
      {"play a from 12x", mci_error::kBadInteger},
      {"play a from 99999999999", mci_error::kBadInteger},
      {"play a to 5 repeat", mci_error::kFlagsNotCompatible},
      {"play a from 1 from 2", mci_error::kDuplicateFlags},
      {"seek a", mci_error::kMissingParameter},
      {"seek a to", mci_error::kMissingParameter},
      {"seek a 100", mci_error::kUnrecognizedKeyword},
      {"seek a to middle", mci_error::kBadInteger},
      {"status a", mci_error::kMissingParameter},
      {"status a time", mci_error::kMissingParameter},
      {"status a colour", mci_error::kUnrecognizedKeyword},
      {"status a length track", mci_error::kMissingParameter},
      {"status a position position", mci_error::kUnrecognizedKeyword},
      {"set a time format", mci_error::kMissingParameter},
      {"set a door ajar", mci_error::kUnrecognizedKeyword},
      {"step a reverse by 2", mci_error::kFlagsNotCompatible},
      {"step a by", mci_error::kMissingParameter},
      {"setaudio a volume 5", mci_error::kUnrecognizedKeyword},
      {"setaudio a volume to", mci_error::kMissingParameter},
      {"setvideo a brightness to -1", mci_error::kBadInteger},
      {"close a everything", mci_error::kUnrecognizedKeyword},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    EXPECT_EQ(ParseMciCommand(c.text).error, c.error);
    EXPECT_EQ(MciSendString(c.text, nullptr, 0), c.error);
  }
}

TEST(MciCommandParser, ReadsEveryCommandTheProgramSends) {
  const std::string_view text =
      "OPEN \"https://h:1/a b.mp3\" Type MPEGVideo ALIAS 0A1B parent 4660 style child notify";
  MciParseResult open = ParseMciCommand(text);
  ASSERT_EQ(open.error, 0);
  EXPECT_EQ(open.command.verb, MciVerb::kOpen);
  EXPECT_EQ(open.command.device, "https://h:1/a b.mp3");
  EXPECT_EQ(open.command.alias, "0A1B");
  EXPECT_EQ(open.command.parentWindow, 4660);
  EXPECT_TRUE(open.command.notify);

  MciParseResult play = ParseMciCommand("play A fullscreen from 0 to 9000");
  ASSERT_EQ(play.error, 0);
  EXPECT_EQ(play.command.from, 0);
  EXPECT_EQ(play.command.to, 9000);
  EXPECT_TRUE(play.command.fullscreen);
  EXPECT_TRUE(ParseMciCommand("play A repeat fullscreen").command.repeat);

  struct Case {
    std::string_view text;
    MciVerb verb;
  };
  const Case cases[] = {
      {"pause A", MciVerb::kPause},
      {"resume A", MciVerb::kResume},
      {"stop A", MciVerb::kStop},
      {"close A", MciVerb::kClose},
      {"close A all", MciVerb::kClose},
      {"seek A to 42", MciVerb::kSeek},
      {"seek A to start", MciVerb::kSeek},
      {"seek A to end", MciVerb::kSeek},
      {"status A position", MciVerb::kStatus},
      {"status A length", MciVerb::kStatus},
      {"status A mode", MciVerb::kStatus},
      {"status A time format", MciVerb::kStatus},
      {"status A volume", MciVerb::kStatus},
      {"status A brightness", MciVerb::kStatus},
      {"status A current track", MciVerb::kStatus},
      {"status A length track 3", MciVerb::kStatus},
      {"set A time format tmsf", MciVerb::kSet},
      {"step A", MciVerb::kStep},
      {"step A reverse", MciVerb::kStep},
      {"step A by 7", MciVerb::kStep},
      {"setaudio A volume to 500", MciVerb::kSetAudio},
      {"setvideo A brightness to 500", MciVerb::kSetVideo},
      {"set cdaudio door open", MciVerb::kSet},
      {"set cdaudio door close", MciVerb::kSet},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    const MciParseResult parsed = ParseMciCommand(c.text);
    EXPECT_EQ(parsed.error, 0);
    EXPECT_EQ(parsed.command.verb, c.verb);
    EXPECT_EQ(parsed.command.device, c.text.substr(0, 14) == "set cdaudio do" ? "cdaudio" : "A");
  }
  EXPECT_EQ(ParseMciCommand("step A by -3").command.stepFrames, -3);
  EXPECT_EQ(ParseMciCommand("step A reverse").command.stepFrames, -1);
  EXPECT_EQ(ParseMciCommand("status A length track 3").command.track, 3);
  EXPECT_TRUE(ParseMciCommand("close A all").command.all);
  // The command ends at its first zero byte, as a C string would.
  EXPECT_EQ(ParseMciCommand(std::string_view("pause A\0 junk", 13)).error, 0);
}

}  // namespace
}  // namespace vorel::platform
