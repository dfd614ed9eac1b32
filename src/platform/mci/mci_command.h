// Parses one media command string into a command record.
//
// A command is a verb, a device name (an alias, or for "open" the media's address) and
// flags, separated by blanks; keywords are matched without regard to case, a word in
// double quotes may hold blanks (no escapes), and the text ends at its first zero byte.
// Understood commands:
//   open ELEMENT [type mpegvideo] [alias A] [parent N] [style child|popup|overlapped] [notify]
//   play A [from N] [to N] [repeat] [fullscreen] [notify]
//   pause A | resume A | stop A  [notify]
//   close A [all] [notify]            ("close all" names every open media)
//   seek A to N|start|end [notify]
//   status A position|length [track N]|mode|time format|volume|brightness|current track
//   set A time format F | set A door open|close|closed
//   step A [reverse|by N] [notify]
//   setaudio A volume to N | setvideo A brightness to N  [notify]
// A malformed command gives a non-zero error from mci_errors.h and no record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorel::platform {

enum class MciVerb {
  kOpen,
  kPlay,
  kPause,
  kResume,
  kStop,
  kClose,
  kSeek,
  kStatus,
  kSet,
  kStep,
  kSetAudio,
  kSetVideo
};
enum class MciSeekTarget { kPosition, kStart, kEnd };
enum class MciStatusItem { kPosition, kLength, kMode, kTimeFormat, kVolume, kBrightness, kCurrentTrack };
enum class MciSetItem { kTimeFormat, kDoorOpen, kDoorClosed };

struct MciCommand {
  MciVerb verb = MciVerb::kStatus;
  std::string device;  // the alias; for open the element (address or file name)
  bool notify = false;

  // open
  std::string type;   // empty when not given
  std::string alias;  // empty when not given
  std::optional<std::int64_t> parentWindow;
  std::string style;

  // play
  std::optional<std::int64_t> from;
  std::optional<std::int64_t> to;
  bool repeat = false;
  bool fullscreen = false;

  // close
  bool all = false;

  // seek
  MciSeekTarget seekTarget = MciSeekTarget::kStart;
  std::int64_t seekPosition = 0;

  // status
  MciStatusItem statusItem = MciStatusItem::kMode;
  std::optional<std::int64_t> track;  // "length track N"

  // set
  MciSetItem setItem = MciSetItem::kTimeFormat;
  std::string timeFormat;

  // step: frames to move, negative backwards
  std::int64_t stepFrames = 1;

  // setaudio volume / setvideo brightness
  std::int64_t level = 0;
};

struct MciParseResult {
  int error = 0;  // 0: `command` holds the parsed command
  MciCommand command;
};

MciParseResult ParseMciCommand(std::string_view text);

}  // namespace vorel::platform
