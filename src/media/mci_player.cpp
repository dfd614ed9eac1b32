#include "media/mci_player.h"

#include <utility>

#include "platform/mci/mci_send_string.h"
#include "text/text_primitives.h"

namespace vorel {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";
constexpr int kAliasLength = 32;
constexpr int kNumberReply = 127;  // position, length, current track, track length
constexpr int kTimeFormatReply = 32;
constexpr int kLevelReply = 12;  // brightness, volume
constexpr int kModeReply = 8;
constexpr int kMillisecondsPerSecond = 1000;

}  // namespace

MciSender DefaultMciSender() {
  return [](std::string_view command, char* reply, int replyLength) {
    return platform::MciSendString(command, reply, replyLength);
  };
}

MciPlayer::MciPlayer(MciSender sender) : sender(std::move(sender)) {}

MciPlayer::~MciPlayer() { Destroy(); }

MciPlayer::MciPlayer(MciPlayer&& other) noexcept
    : sender(std::move(other.sender)),
      parentWindow(other.parentWindow),
      alias(std::move(other.alias)),
      ownsMedia(std::exchange(other.ownsMedia, false)) {
  other.alias.clear();
}

MciPlayer& MciPlayer::operator=(MciPlayer&& other) noexcept {
  if (this != &other) {
    Destroy();
    sender = std::move(other.sender);
    parentWindow = other.parentWindow;
    alias = std::move(other.alias);
    ownsMedia = std::exchange(other.ownsMedia, false);
    other.alias.clear();
  }
  return *this;
}

void MciPlayer::Destroy() {
  if (ownsMedia && !alias.empty() && sender) Send(ConcatText("close ", alias));
  ownsMedia = false;
  alias.clear();
}

MciPlayer MciPlayer::Copy() const {
  MciPlayer copy(sender);
  copy.parentWindow = parentWindow;
  copy.alias = alias;
  return copy;
}

Text MciPlayer::ToBaseText(int value, int base) {
  if (value < 0 || base < 2 || base > 16) return Text();
  int count = 0;
  int quotient = value;
  do {
    quotient /= base;
    ++count;
  } while (quotient > 0);
  Text digits(static_cast<std::size_t>(count), '0');
  for (int i = count - 1; i >= 0; --i) {
    digits[static_cast<std::size_t>(i)] = kDigits[value % base];
    value /= base;
  }
  return digits;
}

bool MciPlayer::Send(const Text& command) { return sender(command, nullptr, 0) == 0; }

Text MciPlayer::Query(const Text& command, int replyLength, bool* succeeded) {
  Text reply = BlankText(replyLength);
  const int result = sender(command, reply.data(), replyLength);
  if (succeeded) *succeeded = result == 0;
  const std::size_t end = reply.find('\0');
  if (end != Text::npos) reply.resize(end);
  return reply;
}

int MciPlayer::QueryNumber(const Text& command, int replyLength) {
  return TextToInt(Query(command, replyLength));
}

bool MciPlayer::Open(const Text& url) {
  // The media of the alias being replaced would otherwise play on beyond reach.
  if (ownsMedia && !alias.empty()) Send(ConcatText("close ", alias));
  ownsMedia = false;

  Text newAlias;
  while (TextLength(newAlias) < kAliasLength) newAlias += ToBaseText(RandomInRange(0, 255), 16);
  alias = newAlias;

  Text command = ConcatText("open \"", url, "\" type MPEGVideo alias ", alias);
  if (parentWindow != 0) command += ConcatText(" parent ", NumberToText(parentWindow), " style child notify");
  ownsMedia = Send(command);
  return ownsMedia;
}

bool MciPlayer::Play(int from, std::optional<int> to, bool fullscreen) {
  if (from < 0) from = GetPosition();
  Text command = ConcatText("play ", alias);
  if (fullscreen) command += " fullscreen";
  command += ConcatText(" from ", NumberToText(from));
  if (to) command += ConcatText(" to ", NumberToText(*to));
  return Send(command);
}

Text MciPlayer::GetAlias() const { return alias; }

bool MciPlayer::PlayRepeat(bool fullscreen) {
  Text command = ConcatText("play ", alias, " repeat");
  if (fullscreen) command += " fullscreen";
  return Send(command);
}

int MciPlayer::GetPosition() { return QueryNumber(ConcatText("status ", alias, " position"), kNumberReply); }

int MciPlayer::GetParentWindow() const { return parentWindow; }

void MciPlayer::SetParentWindow(int window) { parentWindow = window; }

int MciPlayer::GetLength() { return QueryNumber(ConcatText("status ", alias, " length"), kNumberReply); }

int MciPlayer::GetLengthSeconds() { return GetLength() / kMillisecondsPerSecond; }

int MciPlayer::GetMode() {
  const Text mode = TrimEnd(Query(ConcatText("status ", alias, " mode"), kModeReply));
  if (mode == "playing") return 1;
  if (mode == "stopped") return 2;
  if (mode == "paused") return 3;
  return 0;
}

bool MciPlayer::Resume() { return Send(ConcatText("resume ", alias)); }

bool MciPlayer::Pause() { return Send(ConcatText("pause ", alias)); }

bool MciPlayer::Close() {
  if (!Send(ConcatText("close ", alias))) return false;
  alias.clear();
  ownsMedia = false;
  return true;
}

bool MciPlayer::Seek(int position) {
  return Send(ConcatText("seek ", alias, " to ", NumberToText(position)));
}

Text MciPlayer::GetTimeFormat() {
  bool succeeded = false;
  const Text reply = Query(ConcatText("status ", alias, " time format"), kTimeFormatReply, &succeeded);
  return succeeded ? TrimEnd(reply) : Text();
}

bool MciPlayer::SetTimeFormat(std::optional<Text> format) {
  return Send(ConcatText("set ", alias, " time format ", format ? *format : Text("tmsf")));
}

bool MciPlayer::CloseAll() { return Send(ConcatText("close ", alias, " all")); }

bool MciPlayer::Stop() { return Send(ConcatText("stop ", alias)); }

bool MciPlayer::SeekToEnd() { return Send(ConcatText("seek ", alias, " to end")); }

bool MciPlayer::SeekToStart() { return Send(ConcatText("seek ", alias, " to start")); }

bool MciPlayer::Step() { return Send(ConcatText("step ", alias)); }

bool MciPlayer::StepReverse() { return Send(ConcatText("step ", alias, " reverse")); }

bool MciPlayer::StepBy(int count) { return Send(ConcatText("step ", alias, " by ", NumberToText(count))); }

bool MciPlayer::OpenDoor() { return Send("set cdaudio door open"); }

bool MciPlayer::CloseDoor() { return Send("set cdaudio door close"); }

int MciPlayer::GetBrightness() {
  return QueryNumber(ConcatText("status ", alias, " brightness"), kLevelReply);
}

bool MciPlayer::SetBrightness(int level) {
  return Send(ConcatText("setvideo ", alias, " brightness to ", NumberToText(level)));
}

int MciPlayer::GetVolume() { return QueryNumber(ConcatText("status ", alias, " volume"), kLevelReply); }

bool MciPlayer::SetVolume(int level) {
  return Send(ConcatText("setaudio ", alias, " volume to ", NumberToText(level)));
}

int MciPlayer::GetCurrentTrack() {
  return QueryNumber(ConcatText("status ", alias, " current track"), kNumberReply);
}

int MciPlayer::GetTrackLength(int track) {
  return QueryNumber(ConcatText("status ", alias, " length track ", NumberToText(track)), kNumberReply);
}

}  // namespace vorel
