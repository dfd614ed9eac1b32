#include "platform/mci/mci_command.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>

#include "platform/mci/mci_errors.h"

namespace vorel::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

// Splits the command into words; a word in double quotes keeps its blanks.
int Tokenize(std::string_view text, std::vector<std::string>& words) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) return mci_error::kNoClosingQuote;
      words.emplace_back(text.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    words.emplace_back(text.substr(i, end - i));
    i = end;
  }
  return 0;
}

// Reads the flags that follow the device name, one at a time.
class WordReader {
 public:
  explicit WordReader(const std::vector<std::string>& words) : words_(words) {}

  bool AtEnd() const { return next_ >= words_.size(); }
  const std::string& Peek() const { return words_[next_]; }
  const std::string& Take() { return words_[next_++]; }
  bool TakeIf(std::string_view keyword) {
    if (AtEnd() || !SameWord(Peek(), keyword)) return false;
    ++next_;
    return true;
  }
  void Skip(std::size_t n) { next_ += n; }

 private:
  const std::vector<std::string>& words_;
  std::size_t next_ = 0;
};

// A decimal 32-bit number; negative only when allowed.
int ParseNumber(const std::string& word, bool allowNegative, std::int64_t& value) {
  std::int64_t parsed = 0;
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+') ++first;
  if (first == last || (*first == '-' && !allowNegative)) return mci_error::kBadInteger;
  const auto [end, ec] = std::from_chars(first, last, parsed);
  if (ec != std::errc() || end != last) return mci_error::kBadInteger;
  if (parsed > std::numeric_limits<std::int32_t>::max() ||
      parsed < std::numeric_limits<std::int32_t>::min()) {
    return mci_error::kBadInteger;
  }
  value = parsed;
  return 0;
}

int TakeNumber(WordReader& reader, bool allowNegative, std::int64_t& value) {
  if (reader.AtEnd()) return mci_error::kMissingParameter;
  return ParseNumber(reader.Take(), allowNegative, value);
}

int TakeWord(WordReader& reader, std::string& value) {
  if (reader.AtEnd()) return mci_error::kMissingStringArgument;
  value = reader.Take();
  return 0;
}

// Remembers which flags a command has seen, so that a repeated flag is refused.
class SeenFlags {
 public:
  bool Add(std::string_view flag) {
    if (std::find(seen_.begin(), seen_.end(), flag) != seen_.end()) return false;
    seen_.emplace_back(flag);
    return true;
  }

 private:
  std::vector<std::string_view> seen_;
};

int ParseOpenFlags(WordReader& reader, MciCommand& command) {
  SeenFlags seen;
  while (!reader.AtEnd()) {
    const std::string& word = reader.Take();
    int error = 0;
    std::string_view flag;
    if (SameWord(word, "type")) {
      flag = "type";
      error = TakeWord(reader, command.type);
    } else if (SameWord(word, "alias")) {
      flag = "alias";
      error = TakeWord(reader, command.alias);
      if (error == 0 && command.alias.empty()) error = mci_error::kMissingStringArgument;
    } else if (SameWord(word, "parent")) {
      flag = "parent";
      std::int64_t handle = 0;
      error = TakeNumber(reader, false, handle);
      command.parentWindow = handle;
    } else if (SameWord(word, "style")) {
      flag = "style";
      error = TakeWord(reader, command.style);
      if (error == 0 && !SameWord(command.style, "child") && !SameWord(command.style, "popup") &&
          !SameWord(command.style, "overlapped")) {
        error = mci_error::kUnrecognizedKeyword;
      }
    } else if (SameWord(word, "notify")) {
      flag = "notify";
      command.notify = true;
    } else {
      return mci_error::kUnrecognizedKeyword;
    }
    if (error != 0) return error;
    if (!seen.Add(flag)) return mci_error::kDuplicateFlags;
  }
  return 0;
}

int ParsePlayFlags(WordReader& reader, MciCommand& command) {
  SeenFlags seen;
  while (!reader.AtEnd()) {
    const std::string& word = reader.Take();
    int error = 0;
    std::string_view flag;
    std::int64_t value = 0;
    if (SameWord(word, "from")) {
      flag = "from";
      error = TakeNumber(reader, false, value);
      command.from = value;
    } else if (SameWord(word, "to")) {
      flag = "to";
      error = TakeNumber(reader, false, value);
      command.to = value;
    } else if (SameWord(word, "repeat")) {
      flag = "repeat";
      command.repeat = true;
    } else if (SameWord(word, "fullscreen")) {
      flag = "fullscreen";
      command.fullscreen = true;
    } else if (SameWord(word, "notify")) {
      flag = "notify";
      command.notify = true;
    } else {
      return mci_error::kUnrecognizedKeyword;
    }
    if (error != 0) return error;
    if (!seen.Add(flag)) return mci_error::kDuplicateFlags;
  }
  if (command.repeat && command.to) return mci_error::kFlagsNotCompatible;
  return 0;
}

// Flags of the commands that take nothing but "notify" (and "all" for close).
int ParseSimpleFlags(WordReader& reader, MciCommand& command, bool allowAll) {
  SeenFlags seen;
  while (!reader.AtEnd()) {
    const std::string& word = reader.Take();
    std::string_view flag;
    if (SameWord(word, "notify")) {
      flag = "notify";
      command.notify = true;
    } else if (allowAll && SameWord(word, "all")) {
      flag = "all";
      command.all = true;
    } else {
      return mci_error::kUnrecognizedKeyword;
    }
    if (!seen.Add(flag)) return mci_error::kDuplicateFlags;
  }
  return 0;
}

int ParseSeek(WordReader& reader, MciCommand& command) {
  if (reader.AtEnd()) return mci_error::kMissingParameter;
  if (!reader.TakeIf("to")) return mci_error::kUnrecognizedKeyword;
  if (reader.AtEnd()) return mci_error::kMissingParameter;
  if (reader.TakeIf("start")) {
    command.seekTarget = MciSeekTarget::kStart;
  } else if (reader.TakeIf("end")) {
    command.seekTarget = MciSeekTarget::kEnd;
  } else {
    command.seekTarget = MciSeekTarget::kPosition;
    if (const int error = TakeNumber(reader, false, command.seekPosition); error != 0) return error;
  }
  return ParseSimpleFlags(reader, command, false);
}

int ParseStatus(WordReader& reader, MciCommand& command) {
  if (reader.AtEnd()) return mci_error::kMissingParameter;
  if (reader.TakeIf("position")) {
    command.statusItem = MciStatusItem::kPosition;
  } else if (reader.TakeIf("length")) {
    command.statusItem = MciStatusItem::kLength;
    if (reader.TakeIf("track")) {
      std::int64_t track = 0;
      if (const int error = TakeNumber(reader, false, track); error != 0) return error;
      command.track = track;
    }
  } else if (reader.TakeIf("mode")) {
    command.statusItem = MciStatusItem::kMode;
  } else if (reader.TakeIf("time")) {
    if (reader.AtEnd()) return mci_error::kMissingParameter;
    if (!reader.TakeIf("format")) return mci_error::kUnrecognizedKeyword;
    command.statusItem = MciStatusItem::kTimeFormat;
  } else if (reader.TakeIf("volume")) {
    command.statusItem = MciStatusItem::kVolume;
  } else if (reader.TakeIf("brightness")) {
    command.statusItem = MciStatusItem::kBrightness;
  } else if (reader.TakeIf("current")) {
    if (reader.AtEnd()) return mci_error::kMissingParameter;
    if (!reader.TakeIf("track")) return mci_error::kUnrecognizedKeyword;
    command.statusItem = MciStatusItem::kCurrentTrack;
  } else {
    return mci_error::kUnrecognizedKeyword;
  }
  return ParseSimpleFlags(reader, command, false);
}

int ParseSet(WordReader& reader, MciCommand& command) {
  if (reader.AtEnd()) return mci_error::kMissingParameter;
  if (reader.TakeIf("time")) {
    if (reader.AtEnd()) return mci_error::kMissingParameter;
    if (!reader.TakeIf("format")) return mci_error::kUnrecognizedKeyword;
    if (reader.AtEnd()) return mci_error::kMissingParameter;
    command.setItem = MciSetItem::kTimeFormat;
    command.timeFormat = reader.Take();
  } else if (reader.TakeIf("door")) {
    if (reader.AtEnd()) return mci_error::kMissingParameter;
    if (reader.TakeIf("open")) {
      command.setItem = MciSetItem::kDoorOpen;
    } else if (reader.TakeIf("closed") || reader.TakeIf("close")) {
      command.setItem = MciSetItem::kDoorClosed;
    } else {
      return mci_error::kUnrecognizedKeyword;
    }
  } else {
    return mci_error::kUnrecognizedKeyword;
  }
  return ParseSimpleFlags(reader, command, false);
}

int ParseStep(WordReader& reader, MciCommand& command) {
  SeenFlags seen;
  bool reverse = false;
  std::optional<std::int64_t> by;
  while (!reader.AtEnd()) {
    const std::string& word = reader.Take();
    std::string_view flag;
    if (SameWord(word, "reverse")) {
      flag = "reverse";
      reverse = true;
    } else if (SameWord(word, "by")) {
      flag = "by";
      std::int64_t frames = 0;
      if (const int error = TakeNumber(reader, true, frames); error != 0) return error;
      by = frames;
    } else if (SameWord(word, "notify")) {
      flag = "notify";
      command.notify = true;
    } else {
      return mci_error::kUnrecognizedKeyword;
    }
    if (!seen.Add(flag)) return mci_error::kDuplicateFlags;
  }
  if (reverse && by) return mci_error::kFlagsNotCompatible;
  command.stepFrames = reverse ? -1 : by.value_or(1);
  return 0;
}

// "setaudio A volume to N" and "setvideo A brightness to N".
int ParseLevel(WordReader& reader, MciCommand& command, std::string_view item) {
  if (reader.AtEnd()) return mci_error::kMissingParameter;
  if (!reader.TakeIf(item)) return mci_error::kUnrecognizedKeyword;
  if (reader.AtEnd()) return mci_error::kMissingParameter;
  if (!reader.TakeIf("to")) return mci_error::kUnrecognizedKeyword;
  if (const int error = TakeNumber(reader, false, command.level); error != 0) return error;
  return ParseSimpleFlags(reader, command, false);
}

struct VerbName {
  std::string_view name;
  MciVerb verb;
};

constexpr VerbName kVerbs[] = {
    {"open", MciVerb::kOpen},     {"play", MciVerb::kPlay},         {"pause", MciVerb::kPause},
    {"resume", MciVerb::kResume}, {"stop", MciVerb::kStop},         {"close", MciVerb::kClose},
    {"seek", MciVerb::kSeek},     {"status", MciVerb::kStatus},     {"set", MciVerb::kSet},
    {"step", MciVerb::kStep},     {"setaudio", MciVerb::kSetAudio}, {"setvideo", MciVerb::kSetVideo},
};

}  // namespace

MciParseResult ParseMciCommand(std::string_view text) {
  MciParseResult result;
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> words;
  if (const int error = Tokenize(text, words); error != 0) {
    result.error = error;
    return result;
  }
  if (words.empty()) {
    result.error = mci_error::kMissingCommandString;
    return result;
  }
  const auto verb = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                 [&](const VerbName& v) { return SameWord(words[0], v.name); });
  if (verb == std::end(kVerbs)) {
    result.error = mci_error::kUnrecognizedCommand;
    return result;
  }
  if (words.size() < 2 || words[1].empty()) {
    result.error = mci_error::kMissingDeviceName;
    return result;
  }
  MciCommand& command = result.command;
  command.verb = verb->verb;
  command.device = words[1];
  WordReader reader(words);
  reader.Skip(2);
  switch (command.verb) {
    case MciVerb::kOpen:
      result.error = ParseOpenFlags(reader, command);
      break;
    case MciVerb::kPlay:
      result.error = ParsePlayFlags(reader, command);
      break;
    case MciVerb::kPause:
    case MciVerb::kResume:
    case MciVerb::kStop:
      result.error = ParseSimpleFlags(reader, command, false);
      break;
    case MciVerb::kClose:
      result.error = ParseSimpleFlags(reader, command, true);
      if (SameWord(command.device, "all")) command.all = true;
      break;
    case MciVerb::kSeek:
      result.error = ParseSeek(reader, command);
      break;
    case MciVerb::kStatus:
      result.error = ParseStatus(reader, command);
      break;
    case MciVerb::kSet:
      result.error = ParseSet(reader, command);
      break;
    case MciVerb::kStep:
      result.error = ParseStep(reader, command);
      break;
    case MciVerb::kSetAudio:
      result.error = ParseLevel(reader, command, "volume");
      break;
    case MciVerb::kSetVideo:
      result.error = ParseLevel(reader, command, "brightness");
      break;
  }
  if (result.error != 0) result.command = MciCommand{};
  return result;
}

}  // namespace vorel::platform
