// MCI送信: a small interpreter of media control strings over the media
// players. Each device opened under an alias is a player of its own, apart
// from 演奏's. What it cannot do honestly answers "MCIエラー:" with one of
// the fixed reasons below, never a pretended success. Times are in
// milliseconds.
#include <algorithm>
#include <string>
#include <vector>

#include "commands/sound_internal.h"
#include "engine/modules.h"
#include "engine/tama.h"
#include "sjis/sjis.h"
#include "support/textops.h"

namespace tama {

namespace {

using textops::AsciiLower;

constexpr char kErrorPrefix[] = "MCIエラー:";
constexpr char kUnsupported[] = "未対応のコマンドです。";
constexpr char kNotOpen[] = "デバイスが開かれていません。";
constexpr char kNoFile[] = "ファイルが見つかりません。";
constexpr char kBadParameter[] = "パラメータが正しくありません。";
constexpr char kUnavailable[] = "この機能は使えません。";

// Commands of the media control language that need what the players lack
// (recording, editing, video windows, device configuration).
constexpr const char* kUnavailableVerbs[] = {
    "record", "save",    "window",  "where",   "put",     "capture",  "cue",     "cut",
    "copy",   "paste",   "delete",  "freeze",  "unfreeze", "update",  "realize", "step",
    "setvideo", "settuner", "configure", "monitor", "reserve", "restore", "load", "signal",
    "spin",   "escape",  "undo",    "list",    "quality", "sysinfo",  "info",    "break",
    "sound",
};
// Device types that play no file of ours.
constexpr const char* kDeviceOnlyTypes[] = {"cdaudio", "dat", "overlay", "scanner", "vcr", "videodisc", "other"};
// Device types for files.
constexpr const char* kFileTypes[] = {"waveaudio", "sequencer", "mpegvideo", "avivideo", "digitalvideo", "mmmovie"};

template <size_t N>
bool OneOf(const std::string& word, const char* const (&list)[N]) {
  for (const char* w : list)
    if (word == w) return true;
  return false;
}

// The words of a command: blanks separate them; a double-quoted word may
// hold blanks (the quotes go).
std::vector<std::string> Words(std::string_view command) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < command.size()) {
    const char c = command[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    std::string word;
    if (c == '"') {
      const size_t end = command.find('"', i + 1);
      word.assign(command.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
      i = end == std::string_view::npos ? command.size() : end + 1;
    } else {
      while (i < command.size() && command[i] != ' ' && command[i] != '\t' && command[i] != '\r' &&
             command[i] != '\n') {
        if (sjis::IsLead(command[i]) && i + 1 < command.size()) word += command[i++];
        word += command[i++];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

// A count of milliseconds: plain digits.
bool ReadMs(const std::string& word, int64_t& ms) {
  if (word.empty() || word.size() > 15) return false;
  ms = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    ms = ms * 10 + (c - '0');
  }
  return true;
}

// The words again, one blank between each two.
std::string Joined(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) {
    if (!out.empty()) out += ' ';
    out += w;
  }
  return out;
}

std::string Failure(const char* reason) { return std::string(kErrorPrefix) + reason; }

void DeviceEvent(TTamaBase& t, TMciDevice& d, const media::IPlayer::TEvent& event) {
  if (event.kind == media::IPlayer::TEvent::kError) {
    d.mode = TMciDevice::TMode::kStopped;
    d.channel.Close();
    return;
  }
  if (d.repeat) {
    d.channel.player->Seek(d.from, d.to);
    return;
  }
  std::string error;
  d.channel.player->Pause(error);
  d.mode = TMciDevice::TMode::kStopped;
  d.ended = true;
  d.channel.Rewatch(t, false);
}

class TMci {
 public:
  explicit TMci(TTamaBase& t) : t_(t), s_(SoundState(t)) {}

  std::string Send(std::string_view command) {
    words_ = Words(command);
    if (words_.empty()) return Failure(kUnsupported);
    const std::string verb = AsciiLower(words_[0]);
    if (OneOf(verb, kUnavailableVerbs)) return Failure(kUnavailable);
    if (verb == "open") return Open();
    if (verb != "play" && verb != "pause" && verb != "resume" && verb != "stop" && verb != "seek" &&
        verb != "close" && verb != "status" && verb != "set" && verb != "setaudio" && verb != "capability")
      return Failure(kUnsupported);
    if (words_.size() < 2) return Failure(kBadParameter);
    const std::string alias = AsciiLower(words_[1]);
    // the flags every command may carry
    std::vector<std::string> rest;
    for (size_t i = 2; i < words_.size(); ++i) {
      std::string w = AsciiLower(words_[i]);
      if (w == "wait")
        wait_ = true;
      else if (w != "notify")
        rest.push_back(std::move(w));
    }
    if (verb == "close" && alias == "all") {
      if (!rest.empty()) return Failure(kBadParameter);
      s_.devices.clear();
      return "";
    }
    auto it = s_.devices.find(alias);
    if (it == s_.devices.end()) return Failure(kNotOpen);
    TMciDevice& d = *it->second;
    if (verb == "close") {
      if (!rest.empty()) return Failure(kBadParameter);
      s_.devices.erase(it);
      return "";
    }
    if (verb == "status") return Status(d, rest);
    if (verb == "capability") return Capability(d, rest);
    if (verb == "set") return Set(d, rest);
    if (verb == "setaudio") return SetAudio(d, rest);
    if (!d.channel.IsOpen()) return Failure(kNotOpen);
    if (verb == "play") return Play(d, alias, rest);
    if (!rest.empty() && verb != "seek") return Failure(kBadParameter);
    std::string error;
    if (verb == "pause") {
      if (d.mode == TMciDevice::TMode::kPlaying) {
        if (!d.channel.player->Pause(error)) return Failure(kUnavailable);
        d.mode = TMciDevice::TMode::kPaused;
      }
    } else if (verb == "resume") {
      if (d.mode == TMciDevice::TMode::kPaused) {
        if (!d.channel.player->Play(error)) return Failure(kUnavailable);
        d.mode = TMciDevice::TMode::kPlaying;
      }
    } else if (verb == "stop") {
      if (d.mode == TMciDevice::TMode::kPlaying) d.channel.player->Pause(error);
      d.mode = TMciDevice::TMode::kStopped;
    } else {
      if (const std::string r = Seek(d, rest); !r.empty()) return r;
    }
    d.channel.Rewatch(t_, d.mode == TMciDevice::TMode::kPlaying && !d.repeat);
    return "";
  }

 private:
  std::string Open() {
    if (words_.size() < 2) return Failure(kBadParameter);
    std::string name = words_[1];
    std::string type;
    if (const size_t bang = name.find('!'); bang != std::string::npos) {
      type = AsciiLower(name.substr(0, bang));
      name.erase(0, bang + 1);
    }
    std::string alias = name;
    for (size_t i = 2; i < words_.size(); ++i) {
      const std::string w = AsciiLower(words_[i]);
      if ((w == "type" || w == "alias") && i + 1 < words_.size()) {
        (w == "type" ? type : alias) = words_[++i];
        if (w == "type") type = AsciiLower(type);
      } else if (w == "style" || w == "parent") {
        return Failure(kUnavailable);  // video windows of the program's own
      } else if (w != "shareable" && w != "wait" && w != "notify") {
        return Failure(kBadParameter);
      }
    }
    const std::string lowerName = AsciiLower(name);
    if (lowerName == "new" || (type.empty() && (OneOf(lowerName, kDeviceOnlyTypes) || OneOf(lowerName, kFileTypes))))
      return Failure(kUnavailable);
    if (!type.empty() && !OneOf(type, kFileTypes))
      return Failure(OneOf(type, kDeviceOnlyTypes) ? kUnavailable : kBadParameter);
    if (name.empty() || alias.empty()) return Failure(kBadParameter);
    const std::string key = AsciiLower(alias);
    if (key == "all" || s_.devices.count(key)) return Failure(kBadParameter);
    std::string native;
    SoundFileName(t_, name, native);
    if (native.empty()) return Failure(kNoFile);
    std::string error;
    media::IMediaSystem* system = MediaSystem(error);
    if (!system) RaiseModuleMissing(t_, "MCI送信", "media");
    auto device = std::make_unique<TMciDevice>();
    TMciDevice& d = *device;
    d.channel.player = system->MakePlayer(!t_.host.Headless());
    if (!d.channel.player->Open(native, false, true, error)) return Failure(kUnavailable);
    TTamaBase& t = t_;
    d.channel.onEvent = [&t, &d](const media::IPlayer::TEvent& e) { DeviceEvent(t, d, e); };
    d.channel.Rewatch(t_, false);
    d.id = s_.nextDeviceId++;
    s_.devices.emplace(key, std::move(device));
    return std::to_string(d.id);
  }

  std::string Play(TMciDevice& d, const std::string& alias, const std::vector<std::string>& rest) {
    int64_t from = -1, to = -1;
    bool repeat = false;
    for (size_t i = 0; i < rest.size(); ++i) {
      if ((rest[i] == "from" || rest[i] == "to") && i + 1 < rest.size()) {
        if (!ReadMs(rest[i + 1], rest[i] == "from" ? from : to)) return Failure(kBadParameter);
        ++i;
      } else if (rest[i] == "repeat") {
        repeat = true;
      } else {
        return Failure(kBadParameter);
      }
    }
    media::IPlayer& p = *d.channel.player;
    const bool seek = from >= 0 || to >= 0 || d.ended || d.to >= 0;
    const int64_t start = from >= 0 ? from : d.ended ? 0 : std::max<int64_t>(p.Position(), 0);
    if (to >= 0 && to < start) return Failure(kBadParameter);
    if (seek && !p.Seek(start, to)) return Failure(kBadParameter);
    std::string error;
    if (!p.Play(error)) return Failure(kUnavailable);
    d.mode = TMciDevice::TMode::kPlaying;
    d.ended = false;
    d.repeat = repeat;
    d.from = start;
    d.to = to;
    d.channel.Rewatch(t_, !repeat);
    if (wait_) WaitForEnd(alias);
    return "";
  }

  // play … wait: the loop runs until the device stops playing (its end, or
  // the run stops).
  void WaitForEnd(const std::string& alias) {
    TEventLoop* loop = t_.host.Loop();
    if (!loop) return;
    for (;;) {
      auto it = s_.devices.find(alias);
      if (it == s_.devices.end() || it->second->mode != TMciDevice::TMode::kPlaying) return;
      if (t_.stopFlag || loop->QuitRequested()) return;
      loop->WaitUntil(loop->Now() + 100);
    }
  }

  std::string Seek(TMciDevice& d, const std::vector<std::string>& rest) {
    if (rest.size() != 2 || rest[0] != "to") return Failure(kBadParameter);
    int64_t ms = 0;
    std::string error;
    if (d.mode == TMciDevice::TMode::kPlaying) d.channel.player->Pause(error);
    d.mode = TMciDevice::TMode::kStopped;
    d.to = -1;
    if (rest[1] == "end") {
      d.ended = true;
      return "";
    }
    if (rest[1] == "start")
      ms = 0;
    else if (!ReadMs(rest[1], ms))
      return Failure(kBadParameter);
    d.ended = false;
    if (!d.channel.player->Seek(ms, -1)) return Failure(kBadParameter);
    return "";
  }

  std::string Status(TMciDevice& d, const std::vector<std::string>& rest) {
    const std::string item = Joined(rest);
    const bool open = d.channel.IsOpen();
    if (item == "mode") {
      if (!open) return "not ready";
      switch (d.mode) {
        case TMciDevice::TMode::kPlaying: return "playing";
        case TMciDevice::TMode::kPaused: return "paused";
        case TMciDevice::TMode::kStopped: break;
      }
      return "stopped";
    }
    if (item == "length") return std::to_string(open ? std::max<int64_t>(d.channel.player->Duration(), 0) : 0);
    if (item == "position") {
      if (!open) return "0";
      const int64_t at = d.ended ? d.channel.player->Duration() : d.channel.player->Position();
      return std::to_string(std::max<int64_t>(at, 0));
    }
    if (item == "ready") return open ? "true" : "false";
    if (item == "media present") return "true";
    if (item == "time format") return "milliseconds";
    if (item == "volume") return std::to_string(d.volume);
    return Failure(kBadParameter);
  }

  std::string Capability(TMciDevice& d, const std::vector<std::string>& rest) {
    const std::string item = Joined(rest);
    const bool open = d.channel.IsOpen();
    if (item == "can play") return "true";
    if (item == "can record" || item == "can save" || item == "can eject") return "false";
    if (item == "has audio") return open && d.channel.player->HasAudio() ? "true" : "false";
    if (item == "has video") return open && d.channel.player->HasVideo() ? "true" : "false";
    return Failure(kBadParameter);
  }

  std::string Set(TMciDevice& d, const std::vector<std::string>& rest) {
    if (rest.size() == 3 && rest[0] == "time" && rest[1] == "format") {
      if (rest[2] == "milliseconds" || rest[2] == "ms") return "";
      return Failure(kUnavailable);  // frames, hms, msf, tmsf, samples, bytes …
    }
    if (rest.size() == 3 && rest[0] == "audio" && rest[1] == "all" && (rest[2] == "on" || rest[2] == "off")) {
      if (d.channel.IsOpen()) d.channel.player->SetVolume(rest[2] == "on" ? d.volume / 1000.0 : 0.0);
      return "";
    }
    return Failure(kBadParameter);
  }

  std::string SetAudio(TMciDevice& d, const std::vector<std::string>& rest) {
    int64_t volume = 0;
    if (rest.size() != 3 || rest[0] != "volume" || rest[1] != "to" || !ReadMs(rest[2], volume) || volume > 1000)
      return Failure(kBadParameter);
    d.volume = static_cast<int>(volume);
    if (d.channel.IsOpen()) d.channel.player->SetVolume(volume / 1000.0);
    return "";
  }

  TTamaBase& t_;
  TSoundState& s_;
  std::vector<std::string> words_;
  bool wait_ = false;
};

}  // namespace

std::string MciSend(TTamaBase& t, std::string_view command) { return TMci(t).Send(command); }

}  // namespace tama
