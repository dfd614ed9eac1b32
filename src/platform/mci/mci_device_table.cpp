#include "platform/mci/mci_device_table.h"

#include <algorithm>

#include "platform/mci/cd_door.h"
#include "platform/mci/mci_errors.h"

namespace vorel::platform {
namespace {

constexpr std::int64_t kMaxLevel = 1000;

std::string Folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
  return text;
}

const char* ModeText(PlaybackMode mode) {
  switch (mode) {
    case PlaybackMode::kPlaying:
      return "playing";
    case PlaybackMode::kPaused:
      return "paused";
    case PlaybackMode::kStopped:
      break;
  }
  return "stopped";
}

int OpenErrorNumber(PlaybackOpenError error) {
  switch (error) {
    case PlaybackOpenError::kNone:
      return 0;
    case PlaybackOpenError::kNotAudio:
      return mci_error::kInvalidFile;
    case PlaybackOpenError::kTimedOut:
      return mci_error::kDeviceNotReady;
    case PlaybackOpenError::kNotFound:
      break;
  }
  return mci_error::kFileNotFound;
}

}  // namespace

int MciDeviceTable::Execute(const MciCommand& command, std::string& reply) {
  reply.clear();
  if (command.verb == MciVerb::kOpen) return Open(command);
  if (command.verb == MciVerb::kClose) return Close(command);
  const auto found = devices_.find(Folded(command.device));
  if (command.verb == MciVerb::kSet && command.setItem != MciSetItem::kTimeFormat) {
    return found == devices_.end() ? SetDoor(command) : mci_error::kUnsupportedFunction;
  }
  if (found == devices_.end()) return mci_error::kInvalidDeviceName;
  Device& device = found->second;
  GstPlayback& playback = *device.playback;

  switch (command.verb) {
    case MciVerb::kPlay:
      return Play(device, command);
    case MciVerb::kPause:
      return playback.Pause() ? 0 : mci_error::kUnsupportedFunction;
    case MciVerb::kResume:
      return playback.Resume() ? 0 : mci_error::kUnsupportedFunction;
    case MciVerb::kStop:
      return playback.Stop() ? 0 : mci_error::kDeviceNotReady;
    case MciVerb::kSeek:
      return Seek(device, command);
    case MciVerb::kStatus:
      return Status(device, command, reply);
    case MciVerb::kSet: {
      const std::string format = Folded(command.timeFormat);
      return (format == "milliseconds" || format == "ms") ? 0 : mci_error::kBadTimeFormat;
    }
    case MciVerb::kStep:
      return playback.Step(command.stepFrames) ? 0 : mci_error::kDeviceNotReady;
    case MciVerb::kSetAudio:
      if (command.level > kMaxLevel) return mci_error::kOutOfRange;
      playback.SetVolume(static_cast<int>(command.level));
      return 0;
    case MciVerb::kSetVideo:
      if (command.level > kMaxLevel) return mci_error::kOutOfRange;
      device.brightness = static_cast<int>(command.level);
      return 0;
    case MciVerb::kOpen:
    case MciVerb::kClose:
      break;
  }
  return mci_error::kUnrecognizedCommand;
}

int MciDeviceTable::Open(const MciCommand& command) {
  const std::string key = Folded(command.alias.empty() ? command.device : command.alias);
  if (key == "all" || key == "cdaudio") return mci_error::kInvalidDeviceName;
  if (devices_.count(key) != 0) return mci_error::kDuplicateAlias;
  if (!command.type.empty() && Folded(command.type) != "mpegvideo") return mci_error::kDeviceNotInstalled;
  GstPlayback::OpenResult opened = GstPlayback::Open(command.device);
  if (!opened.playback) return OpenErrorNumber(opened.error);
  devices_[key].playback = std::move(opened.playback);
  return 0;
}

int MciDeviceTable::Close(const MciCommand& command) {
  const bool everyMedia = Folded(command.device) == "all";
  const auto found = devices_.find(Folded(command.device));
  if (!everyMedia && found == devices_.end()) return mci_error::kInvalidDeviceName;
  if (everyMedia || command.all) {
    devices_.clear();
  } else {
    devices_.erase(found);
  }
  return 0;
}

int MciDeviceTable::SetDoor(const MciCommand& command) {
  if (Folded(command.device) != "cdaudio") return mci_error::kInvalidDeviceName;
  return SetCdDoor(command.setItem == MciSetItem::kDoorOpen) ? 0 : mci_error::kDeviceNotReady;
}

int MciDeviceTable::Play(Device& device, const MciCommand& command) {
  GstPlayback& playback = *device.playback;
  if (playback.Play(command.from, command.to, command.repeat)) return 0;
  const std::int64_t length = playback.LengthMs();
  const bool outOfRange =
      (command.from && command.to && *command.to < *command.from) ||
      (length > 0 && ((command.from && *command.from > length) || (command.to && *command.to > length)));
  return outOfRange ? mci_error::kOutOfRange : mci_error::kDeviceNotReady;
}

int MciDeviceTable::Seek(Device& device, const MciCommand& command) {
  GstPlayback& playback = *device.playback;
  switch (command.seekTarget) {
    case MciSeekTarget::kStart:
      return playback.Seek(0) ? 0 : mci_error::kDeviceNotReady;
    case MciSeekTarget::kEnd:
      return playback.SeekToEnd() ? 0 : mci_error::kDeviceNotReady;
    case MciSeekTarget::kPosition:
      break;
  }
  if (playback.Seek(command.seekPosition)) return 0;
  const std::int64_t length = playback.LengthMs();
  return (length > 0 && command.seekPosition > length) ? mci_error::kOutOfRange : mci_error::kDeviceNotReady;
}

int MciDeviceTable::Status(Device& device, const MciCommand& command, std::string& reply) {
  GstPlayback& playback = *device.playback;
  switch (command.statusItem) {
    case MciStatusItem::kPosition:
      reply = std::to_string(playback.PositionMs());
      return 0;
    case MciStatusItem::kLength:
      if (command.track && *command.track != 1) return mci_error::kOutOfRange;
      reply = std::to_string(playback.LengthMs());
      return 0;
    case MciStatusItem::kMode:
      reply = ModeText(playback.Mode());
      return 0;
    case MciStatusItem::kTimeFormat:
      reply = "milliseconds";
      return 0;
    case MciStatusItem::kVolume:
      reply = std::to_string(playback.Volume());
      return 0;
    case MciStatusItem::kBrightness:
      reply = std::to_string(device.brightness);
      return 0;
    case MciStatusItem::kCurrentTrack:
      reply = "1";
      return 0;
  }
  return mci_error::kUnrecognizedKeyword;
}

}  // namespace vorel::platform
