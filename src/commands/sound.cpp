// Registration table of the sound and media commands, and 演奏 with its
// players. Wave files play on the wave player (another wave replaces the one
// playing; failures stay silent), every other file on the media player,
// whose end notification arrives through the run's event loop.
#include "commands/sound.h"

#include <sys/stat.h>

#include <iterator>

#include "commands/sound_internal.h"
#include "engine/files_state.h"
#include "engine/modules.h"
#include "engine/tama.h"
#include "gui/model.h"
#include "sjis/convert.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama {

// ---- channels ----

void TSoundChannel::Rewatch(TTamaBase& t, bool keepsAlive) {
  if (!IsOpen()) {
    Unwatch();
    return;
  }
  Watch(t.host.Loop(), keepsAlive);
}

void TSoundChannel::Watch(TEventLoop* loop, bool keepsAlive) {
  const int fd = player->Descriptor();
  if (watch_ && loop == loop_ && fd == watchedFd_ && keepsAlive == keepsAlive_) return;
  Unwatch();
  if (!loop) return;
  auto callback = [this](unsigned) { Dispatch(); };
  loop_ = loop;
  watchedFd_ = fd;
  keepsAlive_ = keepsAlive;
  watch_ = keepsAlive ? loop->Watch(fd, TEventLoop::kReadable, callback)
                      : loop->WatchBackground(fd, TEventLoop::kReadable, callback);
}

void TSoundChannel::Unwatch() {
  if (watch_ && loop_) loop_->Unwatch(watch_);
  watch_ = 0;
  loop_ = nullptr;
  watchedFd_ = -1;
}

void TSoundChannel::Close() {
  Unwatch();
  if (player) player->Close();
}

void TSoundChannel::Dispatch() {
  if (!player) return;
  TEventLoop* loop = loop_;
  const bool keepsAlive = keepsAlive_;
  for (const media::IPlayer::TEvent& event : player->Take()) {
    if (!IsOpen()) break;
    if (onEvent) onEvent(event);
  }
  // a player that started over on another sink has a new descriptor
  if (IsOpen() && watch_ && player->Descriptor() != watchedFd_) Watch(loop, keepsAlive);
}

// ---- the state ----

namespace {

// The media player's end of playback (and its failures while playing).
void MediaEvent(TTamaBase& t, const media::IPlayer::TEvent& event) {
  TSoundState& s = SoundState(t);
  if (event.kind == media::IPlayer::TEvent::kError) {
    s.media.Close();
    return;
  }
  if (!s.notify || s.mediaFile.empty()) {
    // nobody is told; the player stands at the end, stopped
    s.media.player->Stop();
    s.media.Rewatch(t, false);
    return;
  }
  if (s.repeat) {
    s.media.player->Seek(0, -1);
    return;
  }
  s.media.Close();
}

void WaveEvent(TTamaBase& t, const media::IPlayer::TEvent& event) {
  TSoundState& s = SoundState(t);
  if (event.kind == media::IPlayer::TEvent::kEnd && s.waveLoops) {
    s.wave.player->Seek(0, -1);
    return;
  }
  s.wave.Close();
}

}  // namespace

TSoundState& SoundState(TTamaBase& t) {
  if (!t.soundState) {
    t.soundState = std::make_shared<TSoundState>();
    t.soundState->media.onEvent = [&t](const media::IPlayer::TEvent& e) { MediaEvent(t, e); };
    t.soundState->wave.onEvent = [&t](const media::IPlayer::TEvent& e) { WaveEvent(t, e); };
  }
  return *t.soundState;
}

media::IMediaSystem* MediaSystem(std::string& error) {
  media::IMediaSystem* system = LoadModule<media::IMediaSystem>("media", error);
  if (system && !system->Start(error)) return nullptr;
  return system;
}

std::string SoundFileName(TTamaBase& t, std::string_view name, std::string& native) {
  std::string file = ExtractPackedFile(t, name);
  if (file.empty()) file.assign(name);
  if (file.find(':') == std::string::npos) file = ResolveFileName(t, file);
  native = support::NativePath(file);
  struct stat st;
  if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) native.clear();
  return file;
}

namespace {

bool IsWave(std::string_view file) { return textops::AsciiLower(support::ExtensionPart(file)) == ".wav"; }

media::IPlayer* PlayerOf(TSoundChannel& channel, media::IMediaSystem& system, bool videoWindow) {
  if (!channel.player) channel.player = system.MakePlayer(videoWindow);
  return channel.player.get();
}

void Ensou(TTamaBase& t, int) {
  const std::string name = t.PopArgValue();
  TSoundState& s = SoundState(t);
  s.notify = false;
  std::string native;
  const std::string file = SoundFileName(t, name, native);
  if (native.empty()) t.Raise("ファイル\"" + file + "\"が、ありません。");
  const std::string repeat = t.QuickWord("演奏繰り返し").Value();
  std::string error;
  media::IMediaSystem* system = MediaSystem(error);
  const bool videoWindow = !t.host.Headless();
  if (IsWave(file)) {
    // the wave call reports nothing: without the library nothing plays
    if (!system) return;
    s.wave.Close();
    s.waveLoops = repeat != "0";
    media::IPlayer* player = PlayerOf(s.wave, *system, videoWindow);
    if (player->Open(native, true, false, error)) s.wave.Rewatch(t, !s.waveLoops);
    return;
  }
  if (!system) RaiseModuleMissing(t, "演奏", "media");
  s.repeat = repeat == "1";
  s.media.Close();
  s.mediaFile = file;
  media::IPlayer* player = PlayerOf(s.media, *system, videoWindow);
  if (!player->Open(native, true, true, error)) t.Raise(sjis::Utf8ToSjisLossy(error));
  s.notify = true;
  s.media.Rewatch(t, !s.repeat);
}

void KurikaeshiEnsou(TTamaBase& t, int id) {
  THashNode& word = t.QuickWord("演奏繰り返し");
  const std::string saved = word.Value();
  const std::string savedTag = word.Tag;
  word.SetValue("1");
  Ensou(t, id);
  THashNode& after = t.QuickWord("演奏繰り返し");
  after.SetValue(saved);
  after.Tag = savedTag;
}

void EnsouTeishi(TTamaBase& t, int) {
  TSoundState& s = SoundState(t);
  if (s.media.IsOpen() && s.media.player->State() == media::IPlayer::TState::kPlaying) {
    s.media.player->Seek(0, -1);
    s.mediaFile.clear();
    s.media.player->Stop();
  } else {
    s.wave.Close();
  }
  s.media.Close();
}

void EnsouJoutai(TTamaBase& t, int) {
  TSoundState& s = SoundState(t);
  const char* word = "未設定";
  if (s.media.IsOpen()) {
    switch (s.media.player->State()) {
      case media::IPlayer::TState::kClosed: break;
      case media::IPlayer::TState::kStopped: word = "停止中"; break;
      case media::IPlayer::TState::kChanging: word = "準備中"; break;
      case media::IPlayer::TState::kPaused: word = "一時停止"; break;
      case media::IPlayer::TState::kPlaying: word = "演奏中"; break;
    }
  }
  t.SetResultTagged(word, kTagString);
}

void MciSoushin(TTamaBase& t, int) {
  const std::string command = t.PopArgValue();
  t.SetResultTagged("", kTagString);
  std::string reply = MciSend(t, command);
  t.SetResultTagged(std::move(reply), kTagString);
}

void Beep(TTamaBase& t, int) { gui::Gui(t).view->Beep(); }

}  // namespace

static const TCommandDef kDefs[] = {
    {"演奏", "?を", kCmdEnsou, Ensou},
    {"演奏停止", "", kCmdEnsouTeishi, EnsouTeishi},
    {"演奏状態", "", kCmdEnsouJoutai, EnsouJoutai},
    {"繰り返し演奏", "?を", kCmdKurikaeshiEnsou, KurikaeshiEnsou},
    {"MCI送信", "?を", kCmdMciSoushin, MciSoushin},
    {"BEEP", "", kCmdBeep, Beep},
};

static const TCommandFamily kFamily = {"sound", kDefs, std::size(kDefs)};

const TCommandFamily& SoundFamily() { return kFamily; }

}  // namespace tama
