// One opened media item played through a GStreamer playbin (audio only).
//
// Open() returns once the media is prerolled and ready to play, or has failed (not
// reachable, no such file, no audio in it, no answer within the time limit). Positions
// and lengths are milliseconds. The mode follows the media control model: "stopped"
// after opening, after Stop, after a seek and when the media played to its end or
// failed; "playing" after Play and Resume; "paused" after Pause and Step. Pause is
// refused unless the media plays or is paused. Every state change is waited for with a
// bounded time-out; nothing here needs a main loop.
//
// HTTPS addresses trust the system store, or the file named by SSL_CERT_FILE when that
// is set. Without a working sound device the sound goes to a clocked null sink, so
// positions advance in real time all the same.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vorel::platform {

enum class PlaybackMode { kStopped, kPaused, kPlaying };

enum class PlaybackOpenError { kNone, kNotFound, kNotAudio, kTimedOut };

class GstPlayback {
 public:
  struct OpenResult {
    std::unique_ptr<GstPlayback> playback;  // null on failure
    PlaybackOpenError error = PlaybackOpenError::kNone;
  };

  // `location`: a URI (http, https, file, ...) or a file name.
  static OpenResult Open(const std::string& location,
                         std::chrono::milliseconds limit = std::chrono::seconds(10));

  struct Pipeline;
  class PassKey {
    friend class GstPlayback;
    PassKey() = default;
  };
  GstPlayback(PassKey, std::unique_ptr<Pipeline> pipeline);
  ~GstPlayback();
  GstPlayback(const GstPlayback&) = delete;
  GstPlayback& operator=(const GstPlayback&) = delete;

  // Plays from `fromMs` (default: the current position; from the start when the media
  // had played to its end) up to `toMs` (default: the end); `repeat` starts again at the
  // end. False when a position lies beyond the length or the pipeline refuses.
  bool Play(std::optional<std::int64_t> fromMs, std::optional<std::int64_t> toMs, bool repeat);
  bool Pause();
  bool Resume();  // refused unless paused or playing
  bool Stop();
  bool Seek(std::int64_t positionMs);  // leaves the media stopped there
  bool SeekToEnd();
  bool Step(std::int64_t frames);  // frames of 40 ms; leaves the media paused

  PlaybackMode Mode() const;
  std::int64_t PositionMs() const;
  // The length; for a stream that states none yet (a constant-bitrate MP3 without a
  // header that gives its length), estimated from its size and bitrate, or waited for
  // briefly while playing. 0 when nothing tells it.
  std::int64_t LengthMs() const;

  void SetVolume(int level);  // 0 .. 1000
  int Volume() const { return volume_; }

 private:
  bool Reprime();
  bool SeekTo(std::int64_t positionMs, std::optional<std::int64_t> stopMs);

  std::unique_ptr<Pipeline> pipeline_;
  PlaybackMode mode_ = PlaybackMode::kStopped;
  bool hasStop_ = false;  // a "to" position bounds the current play
  int volume_ = 1000;
};

}  // namespace vorel::platform
