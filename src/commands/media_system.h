// The media players as the sound commands see them: the interface the media
// module (libtamakazu-media.so, loaded on first use) implements. Header only,
// with no toolkit. A player plays one local file at a time; what happens on
// its own (the end of the stream, a failure while playing) waits on its
// message descriptor until the run's event loop takes it with Take(), so
// every notification arrives on the run's own thread. Texts from the module
// (errors) are UTF-8; file names are native paths.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tama::media {

class IPlayer {
 public:
  virtual ~IPlayer() = default;

  enum class TState {
    kClosed,    // no file
    kStopped,   // a file, not playing (ready)
    kChanging,  // on its way to a state (prerolling, buffering)
    kPaused,
    kPlaying,
  };

  // Opens the file and sets it going (`play`) or leaves it paused at its
  // start. With `wait` the call returns once the state is reached or the
  // change failed (at most 5 seconds); false with the reason. Without it,
  // failures come later through Take(). A sink that cannot start (no sound
  // device) is replaced once by a discarding one that keeps real time.
  virtual bool Open(const std::string& path, bool play, bool wait, std::string& error) = 0;
  // Closes the file (the player is then kClosed).
  virtual void Close() = 0;
  // Playing on, or pausing; false with the reason.
  virtual bool Play(std::string& error) = 0;
  virtual bool Pause(std::string& error) = 0;
  // Stopped: ready, back at the start.
  virtual void Stop() = 0;
  // Seeks to `startMs`; `stopMs` >= 0 ends the stream there (-1: its end).
  virtual bool Seek(int64_t startMs, int64_t stopMs) = 0;
  virtual TState State() = 0;
  // In milliseconds; -1 when not known.
  virtual int64_t Duration() = 0;
  virtual int64_t Position() = 0;
  // 0.0 (silent) to 1.0 (as recorded).
  virtual void SetVolume(double volume) = 0;
  virtual bool HasAudio() = 0;
  virtual bool HasVideo() = 0;

  // The descriptor that is readable while messages wait (-1 when closed).
  virtual int Descriptor() = 0;
  struct TEvent {
    enum TKind { kEnd, kError } kind;
    std::string text;  // the error's text (UTF-8)
  };
  // The waiting messages, as the events that matter to the commands.
  virtual std::vector<TEvent> Take() = 0;
};

class IMediaSystem {
 public:
  virtual ~IMediaSystem() = default;
  // Starts the library (once); false with the reason (UTF-8) when it cannot.
  virtual bool Start(std::string& error) = 0;
  // A new player. `videoWindow`: video shows in a window of its own;
  // otherwise it is discarded in real time.
  virtual std::unique_ptr<IPlayer> MakePlayer(bool videoWindow) = 0;
};

}  // namespace tama::media

// The entry of the media module: the media system, or null when the module
// was built from other sources or with other flags than the run-time.
extern "C" tama::media::IMediaSystem* tama_module_media(const char* buildId);
