// The media module: players built on GStreamer's playbin. Each player owns
// one pipeline and its bus; the bus's descriptor is watched by the run's
// event loop, which takes the messages on the run's thread (no GLib main
// loop runs). The audio sink is the pipeline description in
// TAMAKAZU_AUDIO_SINK, else autoaudiosink; when it cannot start, the
// player goes on once more with a discarding sink that keeps real time, so
// playing behaves the same without a sound device.
#include <gst/gst.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "commands/media_system.h"

namespace tama::media {

namespace {

constexpr GstClockTime kStartWait = 5 * GST_SECOND;
constexpr GstClockTime kErrorWait = GST_SECOND;

// A sink that discards what it gets at the pace of the clock.
GstElement* DiscardingSink() {
  GstElement* sink = gst_element_factory_make("fakesink", nullptr);
  if (sink) g_object_set(sink, "sync", TRUE, nullptr);
  return sink;
}

// The audio sink the environment asks for; null when it names nothing usable.
GstElement* ChosenAudioSink() {
  const char* chosen = std::getenv("TAMAKAZU_AUDIO_SINK");
  const char* description = chosen && *chosen ? chosen : "autoaudiosink";
  GError* error = nullptr;
  GstElement* sink = gst_parse_bin_from_description(description, TRUE, &error);
  if (error) {
    g_error_free(error);
    if (sink) gst_object_unref(sink);
    return nullptr;
  }
  return sink;
}

std::string ErrorText(GstMessage* message, bool* fromSink, GstElement* sink) {
  GError* error = nullptr;
  gchar* debug = nullptr;
  gst_message_parse_error(message, &error, &debug);
  std::string text = error && error->message ? error->message : "";
  if (error) g_error_free(error);
  g_free(debug);
  if (fromSink) {
    GstObject* src = GST_MESSAGE_SRC(message);
    *fromSink = sink && src &&
                (src == GST_OBJECT(sink) || gst_object_has_as_ancestor(src, GST_OBJECT(sink)));
  }
  return text;
}

class TPlayer : public IPlayer {
 public:
  explicit TPlayer(bool videoWindow) : videoWindow_(videoWindow) {}
  ~TPlayer() override { Close(); }

  bool Open(const std::string& path, bool play, bool wait, std::string& error) override {
    Close();
    GError* gerror = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &gerror);
    if (!uri) {
      error = gerror && gerror->message ? gerror->message : "bad file name";
      if (gerror) g_error_free(gerror);
      return false;
    }
    uri_ = uri;
    g_free(uri);
    fallback_ = false;
    GstElement* sink = ChosenAudioSink();
    if (!sink) {
      sink = DiscardingSink();
      fallback_ = true;
    }
    target_ = play ? GST_STATE_PLAYING : GST_STATE_PAUSED;
    if (!Build(sink, error) || !Reach(wait, error)) {
      Close();
      return false;
    }
    return true;
  }

  void Close() override {
    if (pipe_) {
      gst_element_set_state(pipe_, GST_STATE_NULL);
      gst_object_unref(pipe_);
      pipe_ = nullptr;
    }
    if (bus_) {
      gst_object_unref(bus_);
      bus_ = nullptr;
    }
    if (sink_) {
      gst_object_unref(sink_);
      sink_ = nullptr;
    }
    fd_ = -1;
    buffering_ = false;
  }

  bool Play(std::string& error) override { return Go(GST_STATE_PLAYING, error); }
  bool Pause(std::string& error) override { return Go(GST_STATE_PAUSED, error); }

  void Stop() override {
    if (!pipe_) return;
    target_ = GST_STATE_READY;
    played_ = false;
    gst_element_set_state(pipe_, GST_STATE_READY);
  }

  bool Seek(int64_t startMs, int64_t stopMs) override {
    if (!pipe_) return false;
    const bool done = gst_element_seek(pipe_, 1.0, GST_FORMAT_TIME,
                            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET,
                            static_cast<gint64>(startMs < 0 ? 0 : startMs) * GST_MSECOND,
                            stopMs >= 0 ? GST_SEEK_TYPE_SET : GST_SEEK_TYPE_NONE,
                            stopMs >= 0 ? static_cast<gint64>(stopMs) * GST_MSECOND
                                        : static_cast<gint64>(GST_CLOCK_TIME_NONE));
    // the new position is taken (prerolled) before the call returns
    if (done) {
      GstState current, pending;
      gst_element_get_state(pipe_, &current, &pending, kStartWait);
    }
    return done;
  }

  TState State() override {
    if (!pipe_) return TState::kClosed;
    GstState current = GST_STATE_NULL, pending = GST_STATE_VOID_PENDING;
    const GstStateChangeReturn r = gst_element_get_state(pipe_, &current, &pending, 0);
    // a player that played on its way back to playing (after a seek, as
    // when it loops) still plays
    if (r == GST_STATE_CHANGE_ASYNC) return target_ == GST_STATE_PLAYING && played_ ? TState::kPlaying : TState::kChanging;
    if (current == GST_STATE_PLAYING) {
      played_ = true;
      return TState::kPlaying;
    }
    if (current == GST_STATE_PAUSED) return buffering_ ? TState::kChanging : TState::kPaused;
    return TState::kStopped;
  }

  int64_t Duration() override {
    gint64 ns = -1;
    if (!pipe_ || !gst_element_query_duration(pipe_, GST_FORMAT_TIME, &ns) || ns < 0) return -1;
    return ns / static_cast<gint64>(GST_MSECOND);
  }

  int64_t Position() override {
    gint64 ns = -1;
    if (!pipe_ || !gst_element_query_position(pipe_, GST_FORMAT_TIME, &ns) || ns < 0) return -1;
    return ns / static_cast<gint64>(GST_MSECOND);
  }

  void SetVolume(double volume) override {
    if (pipe_) g_object_set(pipe_, "volume", volume, nullptr);
  }

  bool HasAudio() override { return Streams("n-audio") > 0; }
  bool HasVideo() override { return Streams("n-video") > 0; }

  int Descriptor() override { return fd_; }

  std::vector<TEvent> Take() override {
    std::vector<TEvent> events;
    bool sinkFailed = false;
    while (bus_) {
      GstMessage* message = gst_bus_pop(bus_);
      if (!message) break;
      switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
          events.push_back({TEvent::kEnd, {}});
          break;
        case GST_MESSAGE_ERROR: {
          bool fromSink = false;
          std::string text = ErrorText(message, &fromSink, sink_);
          if (fromSink && !fallback_)
            sinkFailed = true;
          else if (!sinkFailed)
            events.push_back({TEvent::kError, std::move(text)});
          break;
        }
        case GST_MESSAGE_BUFFERING: {
          gint percent = 100;
          gst_message_parse_buffering(message, &percent);
          buffering_ = percent < 100;
          break;
        }
        default:
          break;
      }
      gst_message_unref(message);
    }
    if (sinkFailed) {
      // the messages after the sink's failure belong to the pipeline that
      // failed; the player starts over with the discarding sink
      events.clear();
      std::string error;
      if (!Fallback(false, error)) events.push_back({TEvent::kError, error});
    }
    return events;
  }

 private:
  void SetAudioSink(GstElement* sink) {
    if (sink_) gst_object_unref(sink_);
    sink_ = sink ? GST_ELEMENT(gst_object_ref(sink)) : nullptr;
    if (sink) g_object_set(pipe_, "audio-sink", sink, nullptr);
  }

  int Streams(const char* property) {
    gint n = 0;
    if (pipe_) g_object_get(pipe_, property, &n, nullptr);
    return n;
  }

  bool Go(GstState state, std::string& error) {
    if (!pipe_) {
      error = "no file is open";
      return false;
    }
    target_ = state;
    played_ = false;
    // pausing is taken before the call returns (the sinks preroll again)
    return Reach(state == GST_STATE_PAUSED, error);
  }

  // Sets the pipeline going to the target state; with `wait`, until it is
  // there or has failed.
  bool Reach(bool wait, std::string& error) {
    GstStateChangeReturn r = gst_element_set_state(pipe_, target_);
    played_ = false;
    if (r != GST_STATE_CHANGE_FAILURE && wait) {
      GstState current = GST_STATE_NULL, pending;
      r = gst_element_get_state(pipe_, &current, &pending, kStartWait);
      played_ = r == GST_STATE_CHANGE_SUCCESS && current == GST_STATE_PLAYING;
    }
    if (r != GST_STATE_CHANGE_FAILURE) return true;
    return Failed(wait, error);
  }

  // The pipeline failed: when its audio sink did (or nothing says what did),
  // once more with the discarding sink; else false with the error's text.
  bool Failed(bool wait, std::string& error) {
    bool fromSink = false, any = false;
    // the error may reach the bus just after the failure of the change
    GstMessage* first = gst_bus_timed_pop_filtered(bus_, kErrorWait, GST_MESSAGE_ERROR);
    for (GstMessage* message = first; message; message = gst_bus_pop_filtered(bus_, GST_MESSAGE_ERROR)) {
      bool thisFromSink = false;
      std::string text = ErrorText(message, &thisFromSink, sink_);
      gst_message_unref(message);
      if (!any) {
        error = text;
        fromSink = thisFromSink;
        any = true;
      }
    }
    if (!any) error = "the file cannot be played";
    if (fallback_ || (any && !fromSink)) {
      gst_element_set_state(pipe_, GST_STATE_NULL);
      return false;
    }
    return Fallback(wait, error);
  }

  // A new pipeline (a playbin cannot take another sink after its sink
  // failed); its bus has a descriptor of its own.
  bool Fallback(bool wait, std::string& error) {
    const GstState target = target_;
    Close();
    fallback_ = true;
    target_ = target;
    if (!Build(DiscardingSink(), error)) return false;
    return Reach(wait, error);
  }

  // The pipeline for the file with that audio sink (taken over).
  bool Build(GstElement* sink, std::string& error) {
    GstElement* pipe = gst_element_factory_make("playbin", nullptr);
    if (!pipe) {
      if (sink) gst_object_unref(sink);
      error = "the GStreamer element \"playbin\" is missing";
      return false;
    }
    pipe_ = GST_ELEMENT(gst_object_ref_sink(pipe));
    g_object_set(pipe_, "uri", uri_.c_str(), nullptr);
    SetAudioSink(sink);
    if (!videoWindow_)
      if (GstElement* video = DiscardingSink()) g_object_set(pipe_, "video-sink", video, nullptr);
    bus_ = gst_element_get_bus(pipe_);
    GPollFD pollfd{};
    gst_bus_get_pollfd(bus_, &pollfd);
    fd_ = pollfd.fd;
    return true;
  }

  bool videoWindow_;
  std::string uri_;
  GstElement* pipe_ = nullptr;
  GstElement* sink_ = nullptr;  // the audio sink in use (our own reference)
  GstBus* bus_ = nullptr;
  int fd_ = -1;
  GstState target_ = GST_STATE_NULL;
  bool fallback_ = false;  // the discarding sink is in use
  bool played_ = false;    // the target is playing and it was reached
  bool buffering_ = false;
};

class TMediaSystem : public IMediaSystem {
 public:
  bool Start(std::string& error) override {
    if (!started_) {
      started_ = true;
      GError* gerror = nullptr;
      ok_ = gst_init_check(nullptr, nullptr, &gerror);
      if (!ok_) {
        error_ = gerror && gerror->message ? gerror->message : "GStreamer cannot start";
      } else if (GstElementFactory* playbin = gst_element_factory_find("playbin")) {
        gst_object_unref(playbin);
      } else {
        ok_ = false;
        error_ = "the GStreamer element \"playbin\" is missing";
      }
      if (gerror) g_error_free(gerror);
    }
    if (!ok_) error = error_;
    return ok_;
  }

  std::unique_ptr<IPlayer> MakePlayer(bool videoWindow) override { return std::make_unique<TPlayer>(videoWindow); }

 private:
  bool started_ = false, ok_ = false;
  std::string error_;
};

}  // namespace

}  // namespace tama::media

extern "C" __attribute__((visibility("default"))) tama::media::IMediaSystem* tama_module_media(const char* buildId) {
  if (!buildId || std::string(buildId) != TAMA_BUILD_ID) return nullptr;
  static tama::media::TMediaSystem system;
  return &system;
}
