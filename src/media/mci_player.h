// MciPlayer: drives one media item through media command strings.
//
// Each operation builds one command, sends it through the sender (by default the
// platform's MciSendString) and reports success (the sender returned 0), or reads the
// reply into a number or a text. The player remembers the alias of the media it opened
// last and, optionally, a parent window handle that Open passes on.
//
// Ownership of the open media: the player that opened an alias closes it when it opens
// another one and when it is destroyed (Destroy or the destructor), so no media is left
// running without an owner. A player made by Copy names the same alias but does not own
// the media: destroying the copy leaves it open.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "text/text_types.h"

namespace vorel {

// Sends one command; writes a zero-terminated reply of at most replyLength - 1 bytes
// into `reply` when replyLength > 0; returns 0 for success.
using MciSender = std::function<int(std::string_view command, char* reply, int replyLength)>;

// The platform's media command interface.
MciSender DefaultMciSender();

class MciPlayer {
 public:
  explicit MciPlayer(MciSender sender = DefaultMciSender());
  ~MciPlayer();
  MciPlayer(MciPlayer&& other) noexcept;
  MciPlayer& operator=(MciPlayer&& other) noexcept;
  MciPlayer(const MciPlayer&) = delete;
  MciPlayer& operator=(const MciPlayer&) = delete;

  void Destroy();  // closes the media this player opened, then forgets the alias
  MciPlayer Copy() const;
  static Text ToBaseText(int value, int base);  // base 2 .. 16, value >= 0; else empty

  bool Open(const Text& url);
  bool Play(int from = 0, std::optional<int> to = std::nullopt, bool fullscreen = false);
  Text GetAlias() const;
  bool PlayRepeat(bool fullscreen = false);
  int GetPosition();
  int GetParentWindow() const;
  void SetParentWindow(int window);
  int GetLength();
  int GetLengthSeconds();
  int GetMode();  // 1 playing, 2 stopped, 3 paused, 0 anything else
  bool Resume();
  bool Pause();
  bool Close();
  bool Seek(int position);
  Text GetTimeFormat();
  bool SetTimeFormat(std::optional<Text> format = std::nullopt);
  bool CloseAll();
  bool Stop();
  bool SeekToEnd();
  bool SeekToStart();
  bool Step();
  bool StepReverse();
  bool StepBy(int count);
  bool OpenDoor();
  bool CloseDoor();
  int GetBrightness();
  bool SetBrightness(int level);
  int GetVolume();
  bool SetVolume(int level);
  int GetCurrentTrack();
  int GetTrackLength(int track);

 private:
  bool Send(const Text& command);
  // Sends a query with a reply buffer of `replyLength` blanks; the reply up to its zero byte.
  Text Query(const Text& command, int replyLength, bool* succeeded = nullptr);
  int QueryNumber(const Text& command, int replyLength);

  MciSender sender;
  int parentWindow = 0;
  Text alias;
  bool ownsMedia = false;  // this player opened `alias` and has not closed it
};

}  // namespace vorel
