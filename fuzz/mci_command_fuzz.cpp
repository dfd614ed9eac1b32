// Fuzzes the media command parser: every command it accepts is written out again from
// its record and must parse to the same record. Nothing is played.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <limits>
#include <string>

#include "fuzz_support.h"
#include "platform/mci/mci_command.h"

namespace {

using vorel::platform::MciCommand;
using vorel::platform::MciSeekTarget;
using vorel::platform::MciSetItem;
using vorel::platform::MciStatusItem;
using vorel::platform::MciVerb;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A word as the tokenizer reads it back: quoted when it is empty or holds blanks.
std::string Word(const std::string& word) {
  bool quote = word.empty() || word.front() == '"';
  for (char c : word) quote = quote || IsBlank(c);
  return quote ? "\"" + word + "\"" : word;
}

bool IsAll(const std::string& word) {
  return word.size() == 3 && (word[0] | 0x20) == 'a' && (word[1] | 0x20) == 'l' && (word[2] | 0x20) == 'l';
}

std::string Serialize(const MciCommand& c) {
  static const char* const kVerbs[] = {"open", "play",   "pause", "resume", "stop",     "close",
                                       "seek", "status", "set",   "step",   "setaudio", "setvideo"};
  std::string text = kVerbs[static_cast<int>(c.verb)];
  text += " " + Word(c.device);
  switch (c.verb) {
    case MciVerb::kOpen:
      if (!c.type.empty()) text += " type " + Word(c.type);
      if (!c.alias.empty()) text += " alias " + Word(c.alias);
      if (c.parentWindow) text += " parent " + std::to_string(*c.parentWindow);
      if (!c.style.empty()) text += " style " + Word(c.style);
      break;
    case MciVerb::kPlay:
      if (c.from) text += " from " + std::to_string(*c.from);
      if (c.to) text += " to " + std::to_string(*c.to);
      if (c.repeat) text += " repeat";
      if (c.fullscreen) text += " fullscreen";
      break;
    case MciVerb::kClose:
      if (c.all && !IsAll(c.device)) text += " all";
      break;
    case MciVerb::kSeek:
      text += c.seekTarget == MciSeekTarget::kStart ? " to start"
              : c.seekTarget == MciSeekTarget::kEnd ? " to end"
                                                    : " to " + std::to_string(c.seekPosition);
      break;
    case MciVerb::kStatus: {
      static const char* const kItems[] = {" position", " length",     " mode",         " time format",
                                           " volume",   " brightness", " current track"};
      text += kItems[static_cast<int>(c.statusItem)];
      if (c.track) text += " track " + std::to_string(*c.track);
      break;
    }
    case MciVerb::kSet:
      text += c.setItem == MciSetItem::kTimeFormat ? " time format " + Word(c.timeFormat)
              : c.setItem == MciSetItem::kDoorOpen ? std::string(" door open")
                                                   : std::string(" door closed");
      break;
    case MciVerb::kStep:
      text += " by " + std::to_string(c.stepFrames);
      break;
    case MciVerb::kSetAudio:
      text += " volume to " + std::to_string(c.level);
      break;
    case MciVerb::kSetVideo:
      text += " brightness to " + std::to_string(c.level);
      break;
    default:
      break;
  }
  if (c.notify) text += " notify";
  return text;
}

bool SameCommand(const MciCommand& a, const MciCommand& b) {
  return a.verb == b.verb && a.device == b.device && a.notify == b.notify && a.type == b.type &&
         a.alias == b.alias && a.parentWindow == b.parentWindow && a.style == b.style && a.from == b.from &&
         a.to == b.to && a.repeat == b.repeat && a.fullscreen == b.fullscreen && a.all == b.all &&
         a.seekTarget == b.seekTarget && a.seekPosition == b.seekPosition && a.statusItem == b.statusItem &&
         a.track == b.track && a.setItem == b.setItem && a.timeFormat == b.timeFormat &&
         a.stepFrames == b.stepFrames && a.level == b.level;
}

bool IsCount(std::int64_t n) { return n >= 0 && n <= std::numeric_limits<std::int32_t>::max(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const vorel::platform::MciParseResult parsed = vorel::platform::ParseMciCommand(text);
  if (parsed.error != 0) {
    FUZZ_CHECK(SameCommand(parsed.command, MciCommand{}));
    return 0;
  }
  const MciCommand& c = parsed.command;
  FUZZ_CHECK(!c.device.empty());
  FUZZ_CHECK(!c.from || IsCount(*c.from));
  FUZZ_CHECK(!c.to || IsCount(*c.to));
  FUZZ_CHECK(!(c.repeat && c.to));
  FUZZ_CHECK(IsCount(c.seekPosition) && IsCount(c.level));
  FUZZ_CHECK(c.stepFrames >= std::numeric_limits<std::int32_t>::min() &&
             c.stepFrames <= std::numeric_limits<std::int32_t>::max());

  const std::string again = Serialize(c);
  const vorel::platform::MciParseResult reparsed = vorel::platform::ParseMciCommand(again);
  if (reparsed.error != 0)
    std::fprintf(stderr, "re-parse of [%s] failed: %d\n", again.c_str(), reparsed.error);
  FUZZ_CHECK(reparsed.error == 0);
  FUZZ_CHECK(SameCommand(reparsed.command, c));
  return 0;
}
