// MciPlayer: the command strings it sends and how it reads the replies (through a
// sender that records every command and answers from a script, or else passes the
// command on to the real media service), and playback of real audio from the local
// catalog service through the real service.
#include "media/mci_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mci/mci_send_string.h"
#include "support/catalog_server.h"
#include "support/wait_until.h"

namespace vorel {
namespace {

struct Sent {
  std::string command;
  int replyLength;
  bool operator==(const Sent&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sent& sent) {
  return out << '"' << sent.command << "\" (reply " << sent.replyLength << ")";
}

struct Answer {
  int code = 0;
  std::string reply;  // written even when code is not 0, to show that the player ignores it then
  bool write = true;  // false: the buffer is left as the player filled it
};

// Records what the player sends. `script` answers a command when it gives an answer;
// every other command goes on to the real media service.
class Recorder {
 public:
  std::function<std::optional<Answer>(std::string_view command)> script;
  std::vector<Sent> sent;

  MciSender sender() {
    return [this](std::string_view command, char* reply, int replyLength) {
      sent.push_back({std::string(command), replyLength});
      const std::optional<Answer> answer = script ? script(command) : std::nullopt;
      if (!answer) return platform::MciSendString(command, reply, replyLength);
      if (answer->write && reply && replyLength > 0) {
        const std::string text = answer->reply.substr(0, static_cast<std::size_t>(replyLength) - 1);
        std::copy(text.begin(), text.end(), reply);
        reply[text.size()] = '\0';
      }
      return answer->code;
    };
  }

  // Answers every command with `answer`.
  void AnswerAll(Answer answer) {
    script = [answer](std::string_view) { return answer; };
  }
};

constexpr int kRefused = 263;
const std::string kUrl = "https://music.invalid/a b.mp3";

// A player with an alias whose open the script accepted.
std::string OpenScripted(Recorder& recorder, MciPlayer& player, const std::string& url = kUrl) {
  recorder.AnswerAll({});
  EXPECT_TRUE(player.Open(url));
  recorder.sent.clear();
  return player.GetAlias();
}

TEST(MciPlayer, ToBaseTextWritesDigitsMostSignificantFirst) {
  struct Case {
    int value;
    int base;
    const char* digits;
  };
  const Case cases[] = {
      {0, 16, "0"},    {15, 16, "F"},        {16, 16, "10"}, {255, 16, "FF"},
      {10, 2, "1010"}, {255, 2, "11111111"}, {64, 8, "100"}, {123, 10, "123"},
      {-1, 16, ""},    {5, 1, ""},           {5, 17, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MciPlayer::ToBaseText(c.value, c.base), c.digits) << c.value << " base " << c.base;
  }
}

TEST(MciPlayer, OpenMakesAFreshHexAliasAndSendsTheOpenCommand) {
  Recorder recorder;
  MciPlayer player(recorder.sender());
  EXPECT_EQ(player.GetAlias(), "");
  std::set<std::size_t> lengths;
  std::set<std::string> aliases;
  for (int i = 0; i < 200; ++i) {
    recorder.AnswerAll({kRefused, "", true});  // refused, so that no earlier alias needs closing
    recorder.sent.clear();
    EXPECT_FALSE(player.Open(kUrl));
    const Text alias = player.GetAlias();
    lengths.insert(alias.size());
    aliases.insert(alias);
    EXPECT_TRUE(alias.size() == 32 || alias.size() == 33) << alias;
    EXPECT_EQ(alias.find_first_not_of("0123456789ABCDEF"), Text::npos) << alias;
    // parentWindow 0: the command ends right after the alias.
    EXPECT_EQ(recorder.sent, (std::vector<Sent>{{"open \"" + kUrl + "\" type MPEGVideo alias " + alias, 0}}));
  }
  EXPECT_EQ(lengths, (std::set<std::size_t>{32, 33}));
  EXPECT_EQ(aliases.size(), 200u);

  player.SetParentWindow(4660);
  EXPECT_EQ(player.GetParentWindow(), 4660);
  recorder.sent.clear();
  player.Open(kUrl);
  EXPECT_EQ(recorder.sent.back().command, "open \"" + kUrl + "\" type MPEGVideo alias " + player.GetAlias() +
                                              " parent 4660 style child notify");
}

TEST(MciPlayer, SendsEachOperationsCommand) {
  Recorder recorder;
  MciPlayer player(recorder.sender());
  const std::string a = OpenScripted(recorder, player);
  struct Case {
    std::function<void(MciPlayer&)> operation;
    std::vector<Sent> sent;
  };
  const Case cases[] = {
      {[](MciPlayer& p) { p.Play(); }, {{"play " + a + " from 0", 0}}},
      {[](MciPlayer& p) { p.Play(0, 9000, true); }, {{"play " + a + " fullscreen from 0 to 9000", 0}}},
      {[](MciPlayer& p) { p.Play(250, 400); }, {{"play " + a + " from 250 to 400", 0}}},
      {[](MciPlayer& p) { p.PlayRepeat(true); }, {{"play " + a + " repeat fullscreen", 0}}},
      {[](MciPlayer& p) { p.PlayRepeat(); }, {{"play " + a + " repeat", 0}}},
      {[](MciPlayer& p) { p.Resume(); }, {{"resume " + a, 0}}},
      {[](MciPlayer& p) { p.Pause(); }, {{"pause " + a, 0}}},
      {[](MciPlayer& p) { p.Stop(); }, {{"stop " + a, 0}}},
      {[](MciPlayer& p) { p.Seek(42); }, {{"seek " + a + " to 42", 0}}},
      {[](MciPlayer& p) { p.SeekToEnd(); }, {{"seek " + a + " to end", 0}}},
      {[](MciPlayer& p) { p.SeekToStart(); }, {{"seek " + a + " to start", 0}}},
      {[](MciPlayer& p) { p.Step(); }, {{"step " + a, 0}}},
      {[](MciPlayer& p) { p.StepReverse(); }, {{"step " + a + " reverse", 0}}},
      {[](MciPlayer& p) { p.StepBy(-3); }, {{"step " + a + " by -3", 0}}},
      {[](MciPlayer& p) { p.SetTimeFormat(); }, {{"set " + a + " time format tmsf", 0}}},
      {[](MciPlayer& p) { p.SetTimeFormat("milliseconds"); },
       {{"set " + a + " time format milliseconds", 0}}},
      {[](MciPlayer& p) { p.CloseAll(); }, {{"close " + a + " all", 0}}},
      {[](MciPlayer& p) { p.OpenDoor(); }, {{"set cdaudio door open", 0}}},
      {[](MciPlayer& p) { p.CloseDoor(); }, {{"set cdaudio door close", 0}}},
      {[](MciPlayer& p) { p.SetBrightness(700); }, {{"setvideo " + a + " brightness to 700", 0}}},
      {[](MciPlayer& p) { p.SetVolume(250); }, {{"setaudio " + a + " volume to 250", 0}}},
      {[](MciPlayer& p) { p.GetPosition(); }, {{"status " + a + " position", 127}}},
      {[](MciPlayer& p) { p.GetLength(); }, {{"status " + a + " length", 127}}},
      {[](MciPlayer& p) { p.GetLengthSeconds(); }, {{"status " + a + " length", 127}}},
      {[](MciPlayer& p) { p.GetMode(); }, {{"status " + a + " mode", 8}}},
      {[](MciPlayer& p) { p.GetTimeFormat(); }, {{"status " + a + " time format", 32}}},
      {[](MciPlayer& p) { p.GetBrightness(); }, {{"status " + a + " brightness", 12}}},
      {[](MciPlayer& p) { p.GetVolume(); }, {{"status " + a + " volume", 12}}},
      {[](MciPlayer& p) { p.GetCurrentTrack(); }, {{"status " + a + " current track", 127}}},
      {[](MciPlayer& p) { p.GetTrackLength(2); }, {{"status " + a + " length track 2", 127}}},
      // A negative start asks for the position first and plays from there.
      {[&](MciPlayer& p) {
         recorder.script = [position = "status " + a + " position"](std::string_view c) {
           return c == position ? Answer{0, "1500", true} : Answer{};
         };
         p.Play(-1);
       },
       {{"status " + a + " position", 127}, {"play " + a + " from 1500", 0}}},
  };
  for (const Case& c : cases) {
    recorder.AnswerAll({});
    recorder.sent.clear();
    c.operation(player);
    EXPECT_EQ(recorder.sent, c.sent);
  }
  EXPECT_EQ(player.GetAlias(), a) << "no operation but Open and Close changes the alias";
}

TEST(MciPlayer, ReadsRepliesAsTheirCallersExpect) {
  Recorder recorder;
  MciPlayer player(recorder.sender());
  OpenScripted(recorder, player);
  struct Case {
    Answer answer;
    int mode;
    int length;
    int lengthSeconds;
    Text timeFormat;
  };
  const Case cases[] = {
      {{0, "playing"}, 1, 0, 0, "playing"},
      {{0, "stopped"}, 2, 0, 0, "stopped"},
      {{0, "paused"}, 3, 0, 0, "paused"},
      {{0, "paused  "}, 3, 0, 0, "paused"},
      {{0, "seeking"}, 0, 0, 0, "seeking"},
      {{0, "Playing"}, 0, 0, 0, "Playing"},
      {{0, ""}, 0, 0, 0, ""},
      {{kRefused, "playing"}, 1, 0, 0, ""},  // a reply written despite the failure is read for the mode
      {{kRefused, "", false}, 0, 0, 0, ""},  // failure, nothing written: all blanks
      {{0, "1000"}, 0, 1000, 1, "1000"},
      {{0, "999"}, 0, 999, 0, "999"},
      {{0, "135042"}, 0, 135042, 135, "135042"},
      {{0, "  77 ms"}, 0, 77, 0, "  77 ms"},
      {{kRefused, "1000"}, 0, 1000, 1, ""},
      {{kRefused, "", false}, 0, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer.reply + " / " + std::to_string(c.answer.code));
    recorder.AnswerAll(c.answer);
    EXPECT_EQ(player.GetMode(), c.mode);
    EXPECT_EQ(player.GetLength(), c.length);
    EXPECT_EQ(player.GetLengthSeconds(), c.lengthSeconds);
    EXPECT_EQ(player.GetTimeFormat(), c.timeFormat);
  }
  recorder.AnswerAll({0, "1500"});
  EXPECT_EQ(player.GetPosition(), 1500);
  EXPECT_EQ(player.GetCurrentTrack(), 1500);
  EXPECT_EQ(player.GetTrackLength(1), 1500);
  recorder.AnswerAll({0, "0123456789012"});  // longer than a level reply holds: cut to 11 bytes
  EXPECT_EQ(player.GetVolume(), 1234567890);
  EXPECT_EQ(player.GetBrightness(), 1234567890);
  recorder.AnswerAll({0, "ok"});
  EXPECT_TRUE(player.Resume());
  recorder.AnswerAll({kRefused, "", true});
  EXPECT_FALSE(player.Resume());
}

TEST(MciPlayer, CloseForgetsTheAliasOnlyWhenItSucceeds) {
  Recorder recorder;
  MciPlayer player(recorder.sender());
  const std::string alias = OpenScripted(recorder, player);
  recorder.AnswerAll({kRefused, "", true});
  EXPECT_FALSE(player.Close());
  EXPECT_EQ(player.GetAlias(), alias);

  recorder.AnswerAll({});
  EXPECT_TRUE(player.Close());
  EXPECT_EQ(player.GetAlias(), "");
  // The real service refuses a pause without an alias.
  recorder.script = nullptr;
  recorder.sent.clear();
  EXPECT_FALSE(player.Pause());
  EXPECT_EQ(recorder.sent, (std::vector<Sent>{{"pause ", 0}}));
  recorder.sent.clear();
  player.Destroy();
  EXPECT_TRUE(recorder.sent.empty()) << "nothing left to close";
}

TEST(MciPlayer, TheOpeningPlayerClosesItsMediaWhenItOpensAnotherOrGoes) {
  Recorder recorder;
  std::vector<Sent> afterwards;
  {
    MciPlayer player(recorder.sender());
    const std::string first = OpenScripted(recorder, player);
    EXPECT_TRUE(player.Open(kUrl));
    const std::string second = player.GetAlias();
    EXPECT_EQ(recorder.sent,
              (std::vector<Sent>{{"close " + first, 0},
                                 {"open \"" + kUrl + "\" type MPEGVideo alias " + second, 0}}));

    // A refused open owns nothing: the next open has nothing to close.
    recorder.AnswerAll({kRefused, "", true});
    recorder.sent.clear();
    player.Open(kUrl);
    EXPECT_EQ(recorder.sent.size(), 2u) << "closes " << second << ", then the refused open";
    recorder.sent.clear();
    player.Open(kUrl);
    ASSERT_EQ(recorder.sent.size(), 1u);
    EXPECT_EQ(recorder.sent[0].command.rfind("open ", 0), 0u);

    // A copy names the same alias but leaves the media to the player that opened it.
    const std::string third = OpenScripted(recorder, player);
    {
      MciPlayer copy = player.Copy();
      EXPECT_EQ(copy.GetAlias(), third);
      EXPECT_EQ(copy.GetParentWindow(), player.GetParentWindow());
    }
    EXPECT_TRUE(recorder.sent.empty()) << "destroying the copy closes nothing";
    EXPECT_EQ(player.GetAlias(), third);

    MciPlayer moved = std::move(player);
    EXPECT_EQ(moved.GetAlias(), third);
    afterwards = {{"close " + third, 0}};
  }
  EXPECT_EQ(recorder.sent, afterwards) << "the owner closes its media when it goes";
}

class MciPlayerPlayback : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { catalog = std::make_unique<test::CatalogServer>(); }
  static void TearDownTestSuite() { catalog.reset(); }
  void SetUp() override { ASSERT_TRUE(catalog->running()); }

  // 陈静 - 花开.mp3: 5 s at a constant 128 kbit/s without a Xing header.
  static Text SongUrl() {
    return catalog->baseUrl() + "/media/%E9%99%88%E9%9D%99%20-%20%E8%8A%B1%E5%BC%80.mp3";
  }

  static inline std::unique_ptr<test::CatalogServer> catalog;
};

// The window's use of the player: 播放 (pause refused → open, play, length), 暂停,
// 播放 again (pause accepted → resume), 停止, 播放 after 停止 (opens afresh).
TEST_F(MciPlayerPlayback, PlaysPausesResumesAndReopensAfterStop) {
  Recorder recorder;
  auto player = std::make_unique<MciPlayer>(recorder.sender());
  player->SetParentWindow(12345);
  EXPECT_FALSE(player->Pause()) << "nothing open yet";
  ASSERT_TRUE(player->Open(SongUrl()));
  EXPECT_EQ(player->GetMode(), 2);
  EXPECT_TRUE(player->Play());
  EXPECT_EQ(player->GetLengthSeconds(), 5);
  EXPECT_EQ(player->GetMode(), 1);
  EXPECT_TRUE(test::WaitUntil([&] { return player->GetPosition() >= 500; }));

  EXPECT_TRUE(player->Pause());
  EXPECT_EQ(player->GetMode(), 3);
  EXPECT_TRUE(player->Pause()) << "播放 while paused: the pause is accepted, then Resume";
  EXPECT_TRUE(player->Resume());
  EXPECT_EQ(player->GetMode(), 1);
  EXPECT_EQ(player->GetVolume(), 1000);
  EXPECT_TRUE(player->SetVolume(300));
  EXPECT_EQ(player->GetVolume(), 300);
  EXPECT_EQ(player->GetTimeFormat(), "milliseconds");

  EXPECT_TRUE(player->Stop());
  EXPECT_EQ(player->GetMode(), 2);
  EXPECT_FALSE(player->Pause()) << "after 停止, 播放 opens afresh";
  const Text stopped = player->GetAlias();
  ASSERT_TRUE(player->Open(SongUrl()));
  EXPECT_NE(player->GetAlias(), stopped);
  EXPECT_NE(platform::MciSendString("status " + stopped + " mode", nullptr, 0), 0)
      << "the replaced media was closed";
  EXPECT_TRUE(player->Play());
  EXPECT_EQ(player->GetMode(), 1);

  const Text last = player->GetAlias();
  player.reset();
  EXPECT_NE(platform::MciSendString("status " + last + " mode", nullptr, 0), 0)
      << "the player closed its media when it went";
}

}  // namespace
}  // namespace vorel
