#include "platform/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "platform/error.h"

// SDL_mixer decodes the files and drives the device; the playing sessions are
// mixed here, in its post-mix hook, because its own channels cannot switch a
// playing sound to looping or pause it at a position and resume later.

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
  bool holds_audio_subsystem = false;
};

namespace {

constexpr int output_channels = 2;

// The sessions being played, shared with the device thread.
struct Mixer {
  std::mutex lock;
  std::vector<std::shared_ptr<SoundBuffer_Session::Impl>> playing;
  int open_outputs = 0;
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

}  // namespace

SoundOutput::Impl::Impl(int mixing_frequency, int latency) {
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
  }
  Mix_Init(MIX_INIT_OGG);
  Mix_SetPostMix(post_mix, nullptr);
  std::lock_guard<std::mutex> guard(mixer().lock);
  ++mixer().open_outputs;
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

  std::ifstream in(file, std::ios::binary);
  if (!in) throw Exception(failure + "the file is missing or cannot be read");
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (wave && (bytes.size() < 12 || std::string(bytes.data(), 4) != "RIFF" || std::string(bytes.data() + 8, 4) != "WAVE"))
    throw Exception(failure + "not a WAVE file");
  if (vorbis && (bytes.size() < 4 || std::string(bytes.data(), 4) != "OggS"))
    throw Exception(failure + "not an Ogg Vorbis file");

  if (bytes.size() > static_cast<std::size_t>(SDL_MAX_SINT32)) throw Exception(failure + "the file is too large");
  {
    std::lock_guard<std::mutex> guard(mixer().lock);
    if (mixer().open_outputs == 0) throw Exception(failure + "no sound output is open");
  }
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  Mix_Chunk* chunk = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
  if (!chunk) throw Exception(failure + Mix_GetError());
  const auto* first = reinterpret_cast<const std::int16_t*>(chunk->abuf);
  const std::size_t frames = chunk->alen / (sizeof(std::int16_t) * output_channels);
  auto samples = std::make_shared<std::vector<std::int16_t>>(first, first + frames * output_channels);
  Mix_FreeChunk(chunk);

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
