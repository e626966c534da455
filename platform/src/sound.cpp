#include "platform/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/input_file.h"

// SDL decodes WAVE files and libvorbisfile Ogg Vorbis ones, converting them
// to the output's format as SDL_mixer would, but here, so that no sound can
// decode to more than a bounded size. SDL_mixer drives the device; the
// playing sessions are mixed here, in its post-mix hook, because its own
// channels cannot switch a playing sound to looping or pause it at a position
// and resume later.

namespace platform {

struct SoundBuffer_Session::Impl {
  std::shared_ptr<const std::vector<std::int16_t>> samples;  // interleaved stereo
  std::size_t frames = 0;
  std::size_t position = 0;  // guarded by the mixer lock, like the flags
  bool playing = false;
  bool looping = false;
};

struct SoundBuffer::Impl {
  std::shared_ptr<const std::vector<std::int16_t>> samples;
  std::size_t frames = 0;
};

struct SoundOutput::Impl {
  Impl(int mixing_frequency, int latency);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  bool silent = false;
  std::string why_silent;
  bool holds_audio_subsystem = false;
};

namespace {

constexpr int output_channels = 2;

// The sessions being played, shared with the device thread.
struct Mixer {
  std::mutex lock;
  std::vector<std::shared_ptr<SoundBuffer_Session::Impl>> playing;
  int open_outputs = 0;
  int chunk_frames = 256;  // the device's mixing buffer, also the decoding step
  bool manual = false;
};

// Never destroyed: when something calls exit() while sounds play (Xlib does
// when the display goes away), the device thread may still be mixing.
Mixer& mixer() {
  static Mixer& instance = *new Mixer;
  return instance;
}

// Adds every playing session into out; finished sessions leave the list.
// The caller holds the mixer lock.
void mix_sessions(std::int16_t* out, std::size_t frame_count) {
  Mixer& m = mixer();
  for (const auto& session : m.playing) {
    const std::vector<std::int16_t>& samples = *session->samples;
    std::size_t written = 0;
    while (written < frame_count) {
      if (session->position >= session->frames) {
        if (!session->looping || session->frames == 0) break;
        session->position = 0;
      }
      const std::size_t n = std::min(frame_count - written, session->frames - session->position);
      const std::int16_t* from = samples.data() + session->position * output_channels;
      std::int16_t* to = out + written * output_channels;
      for (std::size_t i = 0; i < n * output_channels; ++i) {
        const int sum = to[i] + from[i];
        to[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
      }
      session->position += n;
      written += n;
    }
    if (session->position >= session->frames && !(session->looping && session->frames > 0))
      session->playing = false;
  }
  std::erase_if(m.playing, [](const auto& s) { return !s->playing; });
}

void SDLCALL post_mix(void*, Uint8* stream, int length) {
  Mixer& m = mixer();
  std::lock_guard<std::mutex> guard(m.lock);
  if (m.manual) return;
  mix_sessions(reinterpret_cast<std::int16_t*>(stream),
               static_cast<std::size_t>(length) / (sizeof(std::int16_t) * output_channels));
}

// ALSA's handler type: file, line, function, error number, printf format.
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);

extern "C" void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card, ALSA itself writes eight lines or so to stderr
// ("cannot find card '0'", ...) while SDL tries the device, before the game
// can say in one line that it runs without sound. While this lives, ALSA's
// error lines are dropped; nothing else written to stderr is touched. A
// driver chosen through SDL_AUDIODRIVER is left to speak as it will.
class QuietAlsa {
 public:
  QuietAlsa() {
    if (SDL_GetHint(SDL_HINT_AUDIODRIVER)) return;
    // The library SDL loads for its ALSA driver is this one, and its error handler is shared.
    library_ = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (library_) set_handler_ = reinterpret_cast<SetHandler>(dlsym(library_, "snd_lib_error_set_handler"));
    if (set_handler_) set_handler_(ignore_alsa_error);
  }
  ~QuietAlsa() {
    if (set_handler_) set_handler_(nullptr);  // ALSA's own printing again
    if (library_) dlclose(library_);
  }
  QuietAlsa(const QuietAlsa&) = delete;
  QuietAlsa& operator=(const QuietAlsa&) = delete;

 private:
  using SetHandler = int (*)(AlsaErrorHandler);
  void* library_ = nullptr;
  SetHandler set_handler_ = nullptr;
};

bool open_device(int frequency, int chunk_frames) {
  // No format changes allowed: SDL converts, and every buffer is decoded to
  // exactly this format, so the mixing above can add samples directly.
  return Mix_OpenAudioDevice(frequency, AUDIO_S16SYS, output_channels, chunk_frames, nullptr, 0) == 0;
}

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// No sound may decode to more than ten minutes of 44.1 kHz 16-bit stereo. The
// samples decoded before conversion, and the file, may take twice that, for
// higher rates and more channels.
constexpr std::size_t max_decoded_bytes = std::size_t{10} * 60 * 44100 * output_channels * sizeof(std::int16_t);
constexpr std::size_t max_source_bytes = 2 * max_decoded_bytes;
constexpr std::size_t max_file_bytes = std::size_t{128} << 20;
const std::string too_long = "too long: it would decode to more than ten minutes of 44.1 kHz stereo sound";

// The refusal of a sound too long, with the length that gave it away.
Exception too_long_error(const std::string& failure, const std::string& source, long long frames, long rate) {
  return Exception(failure + too_long + " (" + source + std::to_string(frames) + " samples at " +
                   std::to_string(rate) + " Hz)");
}

// What every loaded sound is converted to: the open device's format.
struct OutputFormat {
  int frequency = 44100;
  int chunk_frames = 256;
  std::size_t max_frames() const {
    return max_decoded_bytes / (output_channels * sizeof(std::int16_t)) * static_cast<std::size_t>(frequency) / 44100;
  }
  // How many output frames `frames` at `rate` become, rounded up; the most
  // there can be when that does not fit.
  std::uint64_t converted(std::uint64_t frames, std::uint64_t rate) const {
    const auto to = static_cast<std::uint64_t>(frequency);
    if (rate == 0 || frames > (UINT64_MAX - rate) / to) return UINT64_MAX;
    return (frames * to + rate - 1) / rate;
  }
};

std::uint32_t read_le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void write_le32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Trims every chunk length that claims more bytes than the file holds (SDL
// would allocate what the header claims), then bounds the decoded size from
// the format and the data length before anything is decoded: no encoding SDL
// reads gives more than one sample per four bits.
void check_wave_header(std::string& bytes, const OutputFormat& output, const std::string& failure) {
  write_le32(bytes, 4, std::min<std::uint32_t>(read_le(bytes, 4, 4), static_cast<std::uint32_t>(bytes.size() - 8)));
  std::uint32_t channels = 0, rate = 0, bits = 0, data_bytes = 0;
  bool has_format = false, has_data = false;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::uint32_t held = static_cast<std::uint32_t>(bytes.size() - at - 8);
    const std::uint32_t length = std::min(read_le(bytes, at + 4, 4), held);
    write_le32(bytes, at + 4, length);
    const std::string id = bytes.substr(at, 4);
    if (id == "fmt " && length >= 16 && !has_format) {
      channels = read_le(bytes, at + 10, 2), rate = read_le(bytes, at + 12, 4), bits = read_le(bytes, at + 22, 2);
      has_format = true;
    } else if (id == "data" && !has_data) {
      data_bytes = length;
      has_data = true;
    }
    at += 8 + std::size_t{length} + (length & 1);
  }
  if (!has_format || !has_data || channels == 0) return;  // SDL says what is wrong
  if (rate == 0) throw Exception(failure + "its sample rate is 0 Hz");
  const std::uint64_t most_frames = std::uint64_t{data_bytes} * 8 / (channels * std::max<std::uint32_t>(bits, 4));
  const std::uint64_t most_source_bytes = most_frames * channels * (bits > 16 ? 4 : 2);
  if (output.converted(most_frames, rate) > output.max_frames() || most_source_bytes > max_source_bytes)
    throw too_long_error(failure, "", static_cast<long long>(most_frames), rate);
}

// Decodes with SDL and converts as SDL_mixer does, checking the exact size
// before the conversion allocates.
std::vector<std::int16_t> decode_wave(std::string& bytes, const OutputFormat& output, const std::string& failure) {
  check_wave_header(bytes, output, failure);
  SDL_AudioSpec spec{};
  Uint8* decoded = nullptr;
  Uint32 decoded_bytes = 0;
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!source || !SDL_LoadWAV_RW(source, 1, &spec, &decoded, &decoded_bytes)) throw Exception(failure + SDL_GetError());
  const std::unique_ptr<Uint8, void (*)(Uint8*)> held(decoded, SDL_FreeWAV);
  const std::size_t frame_bytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
  const std::size_t frames = frame_bytes == 0 ? 0 : decoded_bytes / frame_bytes;
  if (output.converted(frames, static_cast<std::uint64_t>(std::max(spec.freq, 0))) > output.max_frames())
    throw too_long_error(failure, "", static_cast<long long>(frames), spec.freq);

  SDL_AudioCVT conversion;
  if (SDL_BuildAudioCVT(&conversion, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, output_channels,
                        output.frequency) < 0)
    throw Exception(failure + SDL_GetError());
  std::vector<Uint8> buffer(std::max<std::size_t>(frames * frame_bytes * std::max(conversion.len_mult, 1), 1));
  if (frames > 0) std::memcpy(buffer.data(), decoded, frames * frame_bytes);
  std::size_t converted_bytes = frames * frame_bytes;
  if (conversion.needed) {
    conversion.buf = buffer.data();
    conversion.len = static_cast<int>(converted_bytes);
    if (SDL_ConvertAudio(&conversion) < 0) throw Exception(failure + SDL_GetError());
    converted_bytes = static_cast<std::size_t>(conversion.len_cvt);
  }
  const auto* first = reinterpret_cast<const std::int16_t*>(buffer.data());
  return std::vector<std::int16_t>(first, first + converted_bytes / (output_channels * sizeof(std::int16_t)) * output_channels);
}

// libvorbisfile reads the file from memory, so it can seek to the end for
// the stream's length.
struct MemoryFile {
  const std::string& bytes;
  std::size_t at = 0;
};

std::size_t read_memory(void* to, std::size_t size, std::size_t count, void* file) {
  auto& memory = *static_cast<MemoryFile*>(file);
  const std::size_t n = size == 0 ? 0 : std::min(count, (memory.bytes.size() - memory.at) / size);
  std::memcpy(to, memory.bytes.data() + memory.at, n * size);
  memory.at += n * size;
  return n;
}

int seek_memory(void* file, ogg_int64_t offset, int whence) {
  auto& memory = *static_cast<MemoryFile*>(file);
  const ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(memory.at)
                                                                        : static_cast<ogg_int64_t>(memory.bytes.size());
  if (offset < -base || offset > static_cast<ogg_int64_t>(memory.bytes.size()) - base) return -1;
  memory.at = static_cast<std::size_t>(base + offset);
  return 0;
}

long tell_memory(void* file) { return static_cast<long>(static_cast<MemoryFile*>(file)->at); }

// Decoded samples of one rate and channel count, with the sizes of the steps
// they were decoded in: the conversion takes them in the same steps, as
// SDL_mixer does, so that resampling gives the very same result.
struct DecodedRun {
  int channels = 0;
  long rate = 0;
  std::vector<char> pcm;
  std::vector<int> steps;
};

using ConversionStream = std::unique_ptr<SDL_AudioStream, void (*)(SDL_AudioStream*)>;

void convert_run(const DecodedRun& run, const OutputFormat& output, std::vector<std::int16_t>& samples,
                 const std::string& failure) {
  ConversionStream stream(SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(run.channels), static_cast<int>(run.rate),
                                             AUDIO_S16SYS, output_channels, output.frequency),
                          SDL_FreeAudioStream);
  if (!stream) throw Exception(failure + SDL_GetError());
  auto take = [&] {
    const int ready = SDL_AudioStreamAvailable(stream.get());
    if (ready <= 0) return;
    const std::size_t count = static_cast<std::size_t>(ready) / sizeof(std::int16_t);
    // The decoded length was checked; this only guards the rounding.
    if ((samples.size() + count) / output_channels > output.max_frames() + 64) throw Exception(failure + too_long);
    samples.resize(samples.size() + count);
    const int got = SDL_AudioStreamGet(stream.get(), samples.data() + samples.size() - count, ready);
    samples.resize(samples.size() - count + static_cast<std::size_t>(std::max(got, 0)) / sizeof(std::int16_t));
  };
  std::size_t at = 0;
  for (const int step : run.steps) {
    if (SDL_AudioStreamPut(stream.get(), run.pcm.data() + at, step) < 0) throw Exception(failure + SDL_GetError());
    at += static_cast<std::size_t>(step);
    take();
  }
  SDL_AudioStreamFlush(stream.get());
  take();
}

// Decodes whole, then converts. The length the stream declares is checked
// first; since that can be missing or wrong, the decoded length is checked at
// every step too, so a sound too long is refused before any of it is
// converted.
std::vector<std::int16_t> decode_vorbis(const std::string& bytes, const OutputFormat& output, const std::string& failure) {
  MemoryFile memory{bytes};
  OggVorbis_File vorbis;
  const ov_callbacks callbacks{read_memory, seek_memory, nullptr, tell_memory};
  const int opened = ov_open_callbacks(&memory, &vorbis, nullptr, 0, callbacks);
  if (opened == OV_ENOTVORBIS) throw Exception(failure + "not an Ogg Vorbis file");
  if (opened < 0) throw Exception(failure + "damaged Ogg Vorbis headers");
  const std::unique_ptr<OggVorbis_File, int (*)(OggVorbis_File*)> closer(&vorbis, ov_clear);

  std::uint64_t declared_frames = 0;
  for (int link = 0; link < ov_streams(&vorbis); ++link) {
    const ogg_int64_t length = ov_pcm_total(&vorbis, link);
    const vorbis_info* info = ov_info(&vorbis, link);
    if (length > 0 && info)
      declared_frames += std::min<std::uint64_t>(
          output.converted(static_cast<std::uint64_t>(length), static_cast<std::uint64_t>(info->rate)), UINT32_MAX);
    if (declared_frames > output.max_frames())
      throw too_long_error(failure, "its stream declares ", length, info ? info->rate : 0);
  }

  // A new run at each change of rate or channels (a chained stream).
  std::vector<DecodedRun> runs;
  std::uint64_t earlier_frames = 0;  // converted length of the runs before the last
  std::vector<char> step;
  auto follow_link = [&](int link) {
    const vorbis_info* info = ov_info(&vorbis, -1);
    if (!info) throw Exception(failure + "damaged Ogg Vorbis headers");
    if (!runs.empty() && info->channels == runs.back().channels && info->rate == runs.back().rate) return;
    if (!runs.empty())
      earlier_frames += output.converted(runs.back().pcm.size() / (sizeof(std::int16_t) * runs.back().channels),
                                         static_cast<std::uint64_t>(runs.back().rate));
    runs.push_back({info->channels, info->rate, {}, {}});
    // Channels that cannot be converted are refused before any decoding.
    if (!ConversionStream(SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(info->channels), static_cast<int>(info->rate),
                                             AUDIO_S16SYS, output_channels, output.frequency),
                          SDL_FreeAudioStream))
      throw Exception(failure + SDL_GetError());
    const std::size_t frame_bytes = sizeof(std::int16_t) * static_cast<std::size_t>(info->channels);
    step.resize(static_cast<std::size_t>(output.chunk_frames) * frame_bytes);
    const ogg_int64_t declared = ov_pcm_total(&vorbis, link);  // checked above, when known
    if (declared > 0) runs.back().pcm.reserve(std::min(static_cast<std::size_t>(declared) * frame_bytes, max_source_bytes));
  };
  follow_link(0);
  int section = 0;
  std::size_t source_bytes = 0;
  for (;;) {
    int read_section = section;
    const long got = ov_read(&vorbis, step.data(), static_cast<int>(step.size()), SDL_BYTEORDER == SDL_BIG_ENDIAN, 2, 1,
                             &read_section);
    if (got == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
    if (got < 0) throw Exception(failure + "damaged Ogg Vorbis data");
    if (got == 0) break;
    if (read_section != section) section = read_section, follow_link(section);
    DecodedRun& run = runs.back();
    run.pcm.insert(run.pcm.end(), step.data(), step.data() + got);
    run.steps.push_back(static_cast<int>(got));
    source_bytes += static_cast<std::size_t>(got);
    const std::uint64_t frames = run.pcm.size() / (sizeof(std::int16_t) * static_cast<std::size_t>(run.channels));
    if (earlier_frames + output.converted(frames, static_cast<std::uint64_t>(run.rate)) > output.max_frames() ||
        source_bytes > max_source_bytes)
      throw Exception(failure + too_long + " (found while decoding; its stream declares less)");
  }

  std::vector<std::int16_t> samples;
  const DecodedRun& last = runs.back();
  const std::uint64_t last_frames = last.pcm.size() / (sizeof(std::int16_t) * static_cast<std::size_t>(last.channels));
  samples.reserve(static_cast<std::size_t>(earlier_frames + output.converted(last_frames, static_cast<std::uint64_t>(last.rate))) *
                  output_channels);
  for (const DecodedRun& run : runs) convert_run(run, output, samples, failure);
  return samples;
}
}  // namespace

SoundOutput::Impl::Impl(int mixing_frequency, int latency) {
  const QuietAlsa quiet_alsa;
  holds_audio_subsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (!holds_audio_subsystem || !open_device(mixing_frequency, latency)) {
    // No usable device (no sound card, a broken driver): carry on silently
    // on SDL's dummy driver, which takes the sound and plays it nowhere.
    const std::string reason = SDL_GetError();
    if (holds_audio_subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (SDL_WasInit(SDL_INIT_AUDIO)) {
      holds_audio_subsystem = false;  // someone else holds it: switch its driver
      SDL_AudioInit("dummy");
    } else {
      SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
      holds_audio_subsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
      SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    }
    if (!SDL_WasInit(SDL_INIT_AUDIO) || !open_device(mixing_frequency, latency)) {
      if (holds_audio_subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
      throw Exception("Could not open the sound output: " + reason);
    }
    silent = true;
    why_silent = reason;
  }
  Mix_SetPostMix(post_mix, nullptr);
  std::lock_guard<std::mutex> guard(mixer().lock);
  ++mixer().open_outputs;
  mixer().chunk_frames = latency;
}

SoundOutput::Impl::~Impl() {
  {
    std::lock_guard<std::mutex> guard(mixer().lock);
    if (--mixer().open_outputs == 0) {
      for (const auto& session : mixer().playing) session->playing = false;
      mixer().playing.clear();
    }
  }
  // Each successful open of the device is matched by one close.
  Mix_CloseAudio();
  if (holds_audio_subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SoundOutput::SoundOutput(int mixing_frequency, int latency) {
  if (mixing_frequency <= 0 || latency <= 0 || latency > 65536)
    throw Exception("Could not open the sound output: frequency " + std::to_string(mixing_frequency) +
                    " Hz and latency " + std::to_string(latency) + " are out of range");
  impl_ = std::make_shared<Impl>(mixing_frequency, latency);
}

bool SoundOutput::is_silent() const { return impl_ && impl_->silent; }
std::string SoundOutput::why_silent() const { return impl_ ? impl_->why_silent : std::string(); }

void SoundOutput::set_manual_mixing(bool manual) {
  std::lock_guard<std::mutex> guard(mixer().lock);
  mixer().manual = manual;
}

void SoundOutput::mix(std::int16_t* stereo_frames, int frame_count) {
  if (!stereo_frames || frame_count <= 0) return;
  std::fill(stereo_frames, stereo_frames + static_cast<std::size_t>(frame_count) * output_channels, 0);
  std::lock_guard<std::mutex> guard(mixer().lock);
  mix_sessions(stereo_frames, static_cast<std::size_t>(frame_count));
}

SoundBuffer::SoundBuffer(const std::string& file, bool /*streamed*/, const std::string& format) {
  const std::string failure = "Could not load sound '" + file + "': ";
  std::string kind = lower(format);
  if (kind.empty()) {
    const std::size_t dot = file.find_last_of('.');
    const std::size_t slash = file.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) kind = lower(file.substr(dot + 1));
  }
  const bool wave = kind == "wav" || kind == "wave";
  const bool vorbis = kind == "ogg";
  if (!wave && !vorbis)
    throw Exception(failure + "unknown sound format '" + kind + "' (WAVE .wav or Ogg Vorbis .ogg expected)");

  std::string bytes, reason;
  if (!read_whole_file(file, max_file_bytes, bytes, reason)) throw Exception(failure + reason);
  if (wave && (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0))
    throw Exception(failure + "not a WAVE file");
  if (vorbis && bytes.compare(0, 4, "OggS") != 0) throw Exception(failure + "not an Ogg Vorbis file");

  OutputFormat output;
  {
    std::lock_guard<std::mutex> guard(mixer().lock);
    if (mixer().open_outputs == 0) throw Exception(failure + "no sound output is open");
    output.chunk_frames = mixer().chunk_frames;
  }
  Uint16 device_format = 0;
  int device_channels = 0;
  if (!Mix_QuerySpec(&output.frequency, &device_format, &device_channels) || output.frequency <= 0)
    throw Exception(failure + "no sound output is open");
  auto samples = std::make_shared<const std::vector<std::int16_t>>(wave ? decode_wave(bytes, output, failure)
                                                                        : decode_vorbis(bytes, output, failure));
  const std::size_t frames = samples->size() / output_channels;

  impl_ = std::make_shared<Impl>();
  impl_->samples = std::move(samples);
  impl_->frames = frames;
}

SoundBuffer_Session SoundBuffer::play(bool looping) {
  if (!impl_) return SoundBuffer_Session();
  auto session = std::make_shared<SoundBuffer_Session::Impl>();
  session->samples = impl_->samples;
  session->frames = impl_->frames;
  session->looping = looping;
  SoundBuffer_Session handle(session);
  handle.play();
  return handle;
}

int SoundBuffer::get_length() const { return impl_ ? static_cast<int>(impl_->frames) : 0; }

void SoundBuffer_Session::set_looping(bool loop) {
  if (!impl_) return;
  std::lock_guard<std::mutex> guard(mixer().lock);
  impl_->looping = loop;
}

void SoundBuffer_Session::stop() {
  if (!impl_) return;
  std::lock_guard<std::mutex> guard(mixer().lock);
  impl_->playing = false;
  std::erase(mixer().playing, impl_);
}

void SoundBuffer_Session::play() {
  if (!impl_) return;
  std::lock_guard<std::mutex> guard(mixer().lock);
  if (impl_->playing) return;
  if (impl_->position >= impl_->frames) impl_->position = 0;  // a finished sound starts over
  impl_->playing = true;
  mixer().playing.push_back(impl_);
}

void SoundBuffer_Session::set_position(int sample_position) {
  if (!impl_) return;
  std::lock_guard<std::mutex> guard(mixer().lock);
  impl_->position = std::min(static_cast<std::size_t>(std::max(sample_position, 0)), impl_->frames);
}

int SoundBuffer_Session::get_position() const {
  if (!impl_) return 0;
  std::lock_guard<std::mutex> guard(mixer().lock);
  return static_cast<int>(impl_->position);
}

bool SoundBuffer_Session::is_playing() const {
  if (!impl_) return false;
  std::lock_guard<std::mutex> guard(mixer().lock);
  return impl_->playing;
}

bool SoundBuffer_Session::is_looping() const {
  if (!impl_) return false;
  std::lock_guard<std::mutex> guard(mixer().lock);
  return impl_->looping;
}

}  // namespace platform
