#include "platform/mci/gst_playback.h"

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace vorel::platform {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kStateLimit{5000};       // pause, play, seek
constexpr milliseconds kLengthWait{1500};       // a length that appears shortly after playing starts
constexpr milliseconds kErrorMessageWait{500};  // an error posted just after a failed change
constexpr std::int64_t kFrameMs = 40;           // one step
constexpr guint kSourceTimeoutSeconds = 10;     // network source: no answer for this long fails
constexpr guint kPlayFlagAudio = 0x2;           // playbin flags: audio only
constexpr gint64 kNsPerMs = 1000000;

struct GstObjectUnref {
  void operator()(gpointer object) const {
    if (object) gst_object_unref(object);
  }
};
template <class T>
using GstRef = std::unique_ptr<T, GstObjectUnref>;

bool InitializeGstreamer() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = gst_init_check(nullptr, nullptr, nullptr); });
  return ready;
}

// Escapes what a URI may not hold as it is (blanks, control and non-ASCII bytes).
std::string EscapeUri(const std::string& uri) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const unsigned char c : uri) {
    if (c <= 0x20 || c >= 0x7F) {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 0xF];
    } else {
      escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

std::string ToUri(const std::string& location) {
  if (location.find("://") != std::string::npos && gst_uri_is_valid(location.c_str()))
    return EscapeUri(location);
  gchar* uri = gst_filename_to_uri(location.c_str(), nullptr);
  if (!uri) return {};
  std::string result(uri);
  g_free(uri);
  return result;
}

// Network sources trust SSL_CERT_FILE when it is set, and give up after a while.
void OnSourceSetup(GstElement*, GstElement* source, gpointer) {
  GObjectClass* klass = G_OBJECT_GET_CLASS(source);
  const char* caFile = std::getenv("SSL_CERT_FILE");
  if (caFile && *caFile && g_object_class_find_property(klass, "ssl-ca-file")) {
    g_object_set(source, "ssl-ca-file", caFile, nullptr);
  }
  if (GParamSpec* timeout = g_object_class_find_property(klass, "timeout");
      timeout && G_PARAM_SPEC_VALUE_TYPE(timeout) == G_TYPE_UINT) {
    g_object_set(source, "timeout", kSourceTimeoutSeconds, nullptr);
  }
}

// What the bus handler learns from the streaming threads.
struct BusWatch {
  GstElement* pipeline = nullptr;  // not owned; the handler is removed before it goes
  std::atomic<bool> ended{false};
  std::atomic<bool> failed{false};
  std::atomic<bool> repeat{false};
};

void RestartFromStart(GstElement* element, gpointer) {
  gst_element_seek(element, 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET, 0,
                   GST_SEEK_TYPE_SET, static_cast<gint64>(GST_CLOCK_TIME_NONE));
}

void RecalculateLatency(GstElement* element, gpointer) { gst_bin_recalculate_latency(GST_BIN(element)); }

void ReselectClock(GstElement* element, gpointer) {
  GstState state = GST_STATE_NULL;
  gst_element_get_state(element, &state, nullptr, 0);
  if (state != GST_STATE_PLAYING) return;
  gst_element_set_state(element, GST_STATE_PAUSED);
  gst_element_set_state(element, GST_STATE_PLAYING);
}

// Runs in the thread that posts. Only the messages that a waiting call looks for reach
// the bus's queue; the rest are handled here and dropped (a dropped message is the
// handler's to release), so nothing piles up.
GstBusSyncReply OnBusMessage(GstBus*, GstMessage* message, gpointer data) {
  BusWatch& watch = **static_cast<std::shared_ptr<BusWatch>*>(data);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ASYNC_DONE:
      return GST_BUS_PASS;
    case GST_MESSAGE_ERROR:
      watch.failed = true;
      return GST_BUS_PASS;
    case GST_MESSAGE_EOS:
      if (watch.repeat) {
        gst_element_call_async(watch.pipeline, RestartFromStart, nullptr, nullptr);
      } else {
        watch.ended = true;
      }
      break;
    case GST_MESSAGE_LATENCY:
      gst_element_call_async(watch.pipeline, RecalculateLatency, nullptr, nullptr);
      break;
    case GST_MESSAGE_CLOCK_LOST:
      gst_element_call_async(watch.pipeline, ReselectClock, nullptr, nullptr);
      break;
    default:
      break;
  }
  gst_message_unref(message);
  return GST_BUS_DROP;
}

void ReleaseWatch(gpointer data) {
  std::unique_ptr<std::shared_ptr<BusWatch>> owned(static_cast<std::shared_ptr<BusWatch>*>(data));
}

enum class WaitResult { kDone, kFailed, kTimedOut };

struct WaitOutcome {
  WaitResult result = WaitResult::kDone;
  GQuark errorDomain = 0;
  int errorCode = 0;
};

void DrainBus(GstBus* bus) {
  while (GstMessage* message = gst_bus_pop(bus)) gst_message_unref(message);
}

WaitOutcome FailureFrom(GstMessage* message) {
  WaitOutcome outcome;
  outcome.result = WaitResult::kFailed;
  GError* error = nullptr;
  gst_message_parse_error(message, &error, nullptr);
  if (error) {
    outcome.errorDomain = error->domain;
    outcome.errorCode = error->code;
    g_error_free(error);
  }
  gst_message_unref(message);
  return outcome;
}

// The error that made a state change fail; the failing element may post it a moment
// after the pipeline reported the failure.
WaitOutcome FailureOnBus(GstBus* bus) {
  GstMessage* error =
      gst_bus_timed_pop_filtered(bus, kErrorMessageWait.count() * GST_MSECOND, GST_MESSAGE_ERROR);
  return error ? FailureFrom(error) : WaitOutcome{WaitResult::kFailed, 0, 0};
}

// Waits until the pipeline has no state change pending, or fails, or the limit passes.
// Asking the pipeline itself (rather than waiting for its ASYNC_DONE message) also
// covers a change that completed, or went on asynchronously, before the call.
WaitOutcome WaitSettled(GstElement* pipeline, GstBus* bus, milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (GstMessage* error = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) return FailureFrom(error);
    const GstStateChangeReturn state = gst_element_get_state(pipeline, nullptr, nullptr, 10 * GST_MSECOND);
    if (state == GST_STATE_CHANGE_SUCCESS || state == GST_STATE_CHANGE_NO_PREROLL) return {};
    if (state == GST_STATE_CHANGE_FAILURE) return FailureOnBus(bus);
    if (std::chrono::steady_clock::now() >= deadline) return {WaitResult::kTimedOut, 0, 0};
  }
}

// A flushing seek makes the pipeline preroll again; it reports that with ASYNC_DONE.
WaitOutcome WaitForSeek(GstElement* pipeline, GstBus* bus, milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  GstMessage* message =
      gst_bus_timed_pop_filtered(bus, static_cast<GstClockTime>(limit.count()) * GST_MSECOND,
                                 static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
  if (!message) return {WaitResult::kTimedOut, 0, 0};
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) return FailureFrom(message);
  gst_message_unref(message);
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
  return WaitSettled(pipeline, bus, std::max(left, milliseconds(0)));
}

WaitOutcome ChangeState(GstElement* pipeline, GstBus* bus, GstState state, milliseconds limit) {
  DrainBus(bus);
  if (gst_element_set_state(pipeline, state) == GST_STATE_CHANGE_FAILURE) return FailureOnBus(bus);
  return WaitSettled(pipeline, bus, limit);
}

// Without a sound device the automatic sink falls back to a null sink; it must keep to
// the clock so that playback takes real time.
void KeepNullSinkClocked(GstElement* sink) {
  if (!GST_IS_BIN(sink)) return;
  GstIterator* children = gst_bin_iterate_recurse(GST_BIN(sink));
  GValue item = G_VALUE_INIT;
  while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
    auto* child = static_cast<GstElement*>(g_value_get_object(&item));
    GstElementFactory* factory = gst_element_get_factory(child);
    if (factory && g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "fakesink") == 0) {
      g_object_set(child, "sync", TRUE, nullptr);
    }
    g_value_reset(&item);
  }
  g_value_unset(&item);
  gst_iterator_free(children);
}

// The audio output: our own volume element before the automatic sink (or a clocked
// null sink when that is missing). playbin's own software volume is left off: its
// volume element outlives the pipeline.
GstElement* MakeAudioOutput(GstElement** volume) {
  *volume = nullptr;
  GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
  if (!sink) {
    sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink) return nullptr;
    g_object_set(sink, "sync", TRUE, nullptr);
  }
  GstElement* level = gst_element_factory_make("volume", nullptr);
  if (!level) return sink;
  GstElement* bin = gst_bin_new(nullptr);
  gst_bin_add_many(GST_BIN(bin), level, sink, nullptr);
  gst_element_link(level, sink);
  GstPad* input = gst_element_get_static_pad(level, "sink");
  gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
  gst_object_unref(input);
  *volume = level;
  return bin;
}

PlaybackOpenError ClassifyFailure(const WaitOutcome& outcome) {
  if (outcome.result == WaitResult::kTimedOut) return PlaybackOpenError::kTimedOut;
  if (outcome.errorDomain == GST_STREAM_ERROR ||
      (outcome.errorDomain == GST_CORE_ERROR && outcome.errorCode == GST_CORE_ERROR_MISSING_PLUGIN)) {
    return PlaybackOpenError::kNotAudio;
  }
  return PlaybackOpenError::kNotFound;
}

}  // namespace

struct GstPlayback::Pipeline {
  GstRef<GstElement> playbin;
  GstRef<GstElement> volume;  // inside the audio output; null when there is none
  GstRef<GstBus> bus;
  std::shared_ptr<BusWatch> watch = std::make_shared<BusWatch>();
  bool atStart = true;  // prerolled at 0 and not played since
  std::int64_t lastPositionMs = 0;

  ~Pipeline() {
    if (playbin) gst_element_set_state(playbin.get(), GST_STATE_NULL);
    if (bus) gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
  }

  GstElement* element() const { return playbin.get(); }
};

GstPlayback::OpenResult GstPlayback::Open(const std::string& location, milliseconds limit) {
  OpenResult result;
  result.error = PlaybackOpenError::kNotFound;
  if (location.empty() || !InitializeGstreamer()) return result;
  const std::string uri = ToUri(location);
  if (uri.empty()) return result;

  auto pipeline = std::make_unique<Pipeline>();
  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  if (!playbin) return result;
  pipeline->playbin.reset(static_cast<GstElement*>(gst_object_ref_sink(playbin)));
  GstElement* volume = nullptr;
  GstElement* sink = MakeAudioOutput(&volume);
  if (sink) g_object_set(playbin, "audio-sink", sink, nullptr);
  if (volume) pipeline->volume.reset(static_cast<GstElement*>(gst_object_ref(volume)));
  g_object_set(playbin, "uri", uri.c_str(), "flags", kPlayFlagAudio, nullptr);
  g_signal_connect(playbin, "source-setup", G_CALLBACK(OnSourceSetup), nullptr);

  pipeline->bus.reset(gst_element_get_bus(playbin));
  pipeline->watch->pipeline = playbin;
  gst_bus_set_sync_handler(pipeline->bus.get(), OnBusMessage,
                           std::make_unique<std::shared_ptr<BusWatch>>(pipeline->watch).release(),
                           ReleaseWatch);

  const WaitOutcome outcome = ChangeState(playbin, pipeline->bus.get(), GST_STATE_PAUSED, limit);
  if (outcome.result != WaitResult::kDone) {
    result.error = ClassifyFailure(outcome);
    return result;
  }
  gint audioStreams = 0;
  g_object_get(playbin, "n-audio", &audioStreams, nullptr);
  if (audioStreams <= 0) {
    result.error = PlaybackOpenError::kNotAudio;
    return result;
  }
  if (sink) KeepNullSinkClocked(sink);
  result.playback = std::make_unique<GstPlayback>(PassKey(), std::move(pipeline));
  result.error = PlaybackOpenError::kNone;
  return result;
}

GstPlayback::GstPlayback(PassKey, std::unique_ptr<Pipeline> pipeline) : pipeline_(std::move(pipeline)) {}

GstPlayback::~GstPlayback() = default;

bool GstPlayback::Reprime() {
  Pipeline& p = *pipeline_;
  gst_element_set_state(p.element(), GST_STATE_NULL);
  p.watch->failed = false;
  p.watch->ended = false;
  if (ChangeState(p.element(), p.bus.get(), GST_STATE_PAUSED, kStateLimit).result != WaitResult::kDone) {
    return false;
  }
  p.atStart = true;
  p.lastPositionMs = 0;
  hasStop_ = false;
  mode_ = PlaybackMode::kStopped;
  return true;
}

bool GstPlayback::SeekTo(std::int64_t positionMs, std::optional<std::int64_t> stopMs) {
  Pipeline& p = *pipeline_;
  DrainBus(p.bus.get());
  const gint64 stop = stopMs ? *stopMs * kNsPerMs : static_cast<gint64>(GST_CLOCK_TIME_NONE);
  if (!gst_element_seek(p.element(), 1.0, GST_FORMAT_TIME,
                        static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                        GST_SEEK_TYPE_SET, positionMs * kNsPerMs, GST_SEEK_TYPE_SET, stop)) {
    return false;
  }
  p.watch->ended = false;
  p.atStart = false;
  p.lastPositionMs = positionMs;
  return WaitForSeek(p.element(), p.bus.get(), kStateLimit).result == WaitResult::kDone;
}

bool GstPlayback::Play(std::optional<std::int64_t> fromMs, std::optional<std::int64_t> toMs, bool repeat) {
  Pipeline& p = *pipeline_;
  if (p.watch->failed && !Reprime()) return false;
  if (fromMs || toMs) {
    const std::int64_t length = LengthMs();
    if (length > 0 && ((fromMs && *fromMs > length) || (toMs && *toMs > length))) return false;
    if (fromMs && toMs && *toMs < *fromMs) return false;
  }
  std::optional<std::int64_t> start = fromMs;
  if (!start && p.watch->ended) start = 0;
  const bool freshAtZero = p.atStart && start.value_or(0) == 0;
  if ((start && !freshAtZero) || toMs || hasStop_) {
    if (!SeekTo(start ? *start : PositionMs(), toMs)) return false;
  }
  hasStop_ = toMs.has_value();
  p.watch->ended = false;
  p.watch->repeat = repeat;
  if (ChangeState(p.element(), p.bus.get(), GST_STATE_PLAYING, kStateLimit).result != WaitResult::kDone) {
    return false;
  }
  p.atStart = false;
  mode_ = PlaybackMode::kPlaying;
  return true;
}

bool GstPlayback::Pause() {
  const PlaybackMode mode = Mode();
  if (mode == PlaybackMode::kStopped) return false;
  if (mode == PlaybackMode::kPaused) return true;
  Pipeline& p = *pipeline_;
  if (ChangeState(p.element(), p.bus.get(), GST_STATE_PAUSED, kStateLimit).result != WaitResult::kDone) {
    return false;
  }
  mode_ = PlaybackMode::kPaused;
  return true;
}

bool GstPlayback::Resume() {
  const PlaybackMode mode = Mode();
  if (mode == PlaybackMode::kStopped) return false;
  if (mode == PlaybackMode::kPlaying) return true;
  Pipeline& p = *pipeline_;
  if (ChangeState(p.element(), p.bus.get(), GST_STATE_PLAYING, kStateLimit).result != WaitResult::kDone) {
    return false;
  }
  mode_ = PlaybackMode::kPlaying;
  return true;
}

bool GstPlayback::Stop() {
  Pipeline& p = *pipeline_;
  p.watch->repeat = false;
  if (!p.watch->failed &&
      ChangeState(p.element(), p.bus.get(), GST_STATE_PAUSED, kStateLimit).result != WaitResult::kDone) {
    return false;
  }
  mode_ = PlaybackMode::kStopped;
  return true;
}

bool GstPlayback::Seek(std::int64_t positionMs) {
  Pipeline& p = *pipeline_;
  if (p.watch->failed && !Reprime()) return false;
  const std::int64_t length = LengthMs();
  if (positionMs < 0 || (length > 0 && positionMs > length)) return false;
  p.watch->repeat = false;
  if (ChangeState(p.element(), p.bus.get(), GST_STATE_PAUSED, kStateLimit).result != WaitResult::kDone) {
    return false;
  }
  mode_ = PlaybackMode::kStopped;
  hasStop_ = false;
  return SeekTo(positionMs, std::nullopt);
}

bool GstPlayback::SeekToEnd() { return Seek(LengthMs()); }

bool GstPlayback::Step(std::int64_t frames) {
  Pipeline& p = *pipeline_;
  if (p.watch->failed && !Reprime()) return false;
  p.watch->repeat = false;
  if (ChangeState(p.element(), p.bus.get(), GST_STATE_PAUSED, kStateLimit).result != WaitResult::kDone) {
    return false;
  }
  std::int64_t target = PositionMs() + frames * kFrameMs;
  const std::int64_t length = LengthMs();
  if (length > 0 && target > length) target = length;
  if (target < 0) target = 0;
  hasStop_ = false;
  if (!SeekTo(target, std::nullopt)) return false;
  mode_ = PlaybackMode::kPaused;
  return true;
}

PlaybackMode GstPlayback::Mode() const {
  if (pipeline_->watch->failed || pipeline_->watch->ended) return PlaybackMode::kStopped;
  return mode_;
}

std::int64_t GstPlayback::PositionMs() const {
  Pipeline& p = *pipeline_;
  gint64 position = 0;
  if (!p.watch->failed && gst_element_query_position(p.element(), GST_FORMAT_TIME, &position) &&
      position >= 0) {
    p.lastPositionMs = position / kNsPerMs;
  }
  return p.lastPositionMs;
}

std::int64_t GstPlayback::LengthMs() const {
  GstElement* playbin = pipeline_->element();
  gint64 duration = 0;
  if (gst_element_query_duration(playbin, GST_FORMAT_TIME, &duration) && duration > 0)
    return duration / kNsPerMs;

  // No length stated yet: size and bitrate tell it for a constant bitrate.
  gint64 bytes = 0;
  GstTagList* tags = nullptr;
  g_signal_emit_by_name(playbin, "get-audio-tags", 0, &tags);
  if (tags) {
    guint bitrate = 0;
    if (!gst_tag_list_get_uint(tags, GST_TAG_NOMINAL_BITRATE, &bitrate) || bitrate == 0) {
      gst_tag_list_get_uint(tags, GST_TAG_BITRATE, &bitrate);
    }
    gst_tag_list_unref(tags);
    if (bitrate > 0 && gst_element_query_duration(playbin, GST_FORMAT_BYTES, &bytes) && bytes > 0) {
      return bytes * 8 * 1000 / bitrate;
    }
  }

  // Otherwise the pipeline works it out shortly after playing starts.
  if (Mode() == PlaybackMode::kPlaying) {
    const auto deadline = std::chrono::steady_clock::now() + kLengthWait;
    while (std::chrono::steady_clock::now() < deadline && Mode() == PlaybackMode::kPlaying) {
      std::this_thread::sleep_for(milliseconds(20));
      if (gst_element_query_duration(playbin, GST_FORMAT_TIME, &duration) && duration > 0) {
        return duration / kNsPerMs;
      }
    }
  }
  return 0;
}

void GstPlayback::SetVolume(int level) {
  volume_ = level;
  if (pipeline_->volume) g_object_set(pipeline_->volume.get(), "volume", level / 1000.0, nullptr);
}

}  // namespace vorel::platform
