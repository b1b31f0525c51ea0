// Shared pieces of the sound and media commands (sound.cpp, sound_mci.cpp):
// the players of the run and how their messages reach the event loop.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "commands/media_system.h"
#include "engine/event_loop.h"

namespace tama {

class TTamaBase;

// One player and the watch of its messages on the run's event loop. While
// it plays once (to its end) the watch keeps the run alive; a player that
// loops, pauses or stands still is watched in the background.
struct TSoundChannel {
  TSoundChannel() = default;
  TSoundChannel(const TSoundChannel&) = delete;
  TSoundChannel& operator=(const TSoundChannel&) = delete;
  ~TSoundChannel() { Close(); }

  std::unique_ptr<media::IPlayer> player;
  // what the channel's owner does with each event of the player
  std::function<void(const media::IPlayer::TEvent&)> onEvent;

  bool IsOpen() const { return player && player->Descriptor() >= 0; }
  // The watch as the player now is: kept alive by it or in the background
  // (none once the player is closed).
  void Rewatch(TTamaBase& t, bool keepsAlive);
  void Unwatch();
  // The watch goes, then the file.
  void Close();

 private:
  void Watch(TEventLoop* loop, bool keepsAlive);
  void Dispatch();

  TEventLoop* loop_ = nullptr;
  TEventLoop::TWatchId watch_ = 0;
  int watchedFd_ = -1;
  bool keepsAlive_ = false;
};

// A device opened by MCI送信 under its alias.
struct TMciDevice {
  TSoundChannel channel;
  int id = 0;
  // the mode as the commands left it: playing, paused or stopped
  enum class TMode { kStopped, kPlaying, kPaused } mode = TMode::kStopped;
  bool ended = false;   // stopped at the end of the stream
  bool repeat = false;  // play … repeat: from `from` again at the end
  int64_t from = 0, to = -1;
  int volume = 1000;
};

// What TTamaBase keeps for these commands.
struct TSoundState {
  // 演奏's players: the wave sound, and the media player with its file name,
  // its repeat flag and whether its end notification is attached
  TSoundChannel wave;
  bool waveLoops = false;
  TSoundChannel media;
  std::string mediaFile;
  bool repeat = false;
  bool notify = false;
  // the devices of MCI送信 by their alias in lower case
  std::map<std::string, std::unique_ptr<TMciDevice>, std::less<>> devices;
  int nextDeviceId = 1;
};

TSoundState& SoundState(TTamaBase& t);
// The media system, loaded and started on first use; null (with the reason)
// when the module or the library is missing.
media::IMediaSystem* MediaSystem(std::string& error);
// A program's file name as 演奏 finds it: the packed copy, else completed
// when it holds no ":". Empty `native` when no such file exists.
std::string SoundFileName(TTamaBase& t, std::string_view name, std::string& native);

// MCI送信 (sound_mci.cpp): the reply, or "MCIエラー:" and the reason.
std::string MciSend(TTamaBase& t, std::string_view command);

}  // namespace tama
