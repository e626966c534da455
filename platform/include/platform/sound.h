#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The one sound output; opens the audio device (SDL_AUDIODRIVER=dummy works).
class SoundOutput {
 public:
  SoundOutput() = default;
  // Throws platform::Exception for a non-positive frequency or latency (the
  // mixing buffer length in sample frames). When no real device opens, the
  // output runs silently on SDL's dummy driver so the game stays playable.
  SoundOutput(int mixing_frequency, int latency = 256);
  bool is_null() const { return !impl_; }
  // True when the output fell back to the silent dummy device; why_silent()
  // then says why the real one did not open. When no driver was chosen
  // (SDL_AUDIODRIVER), the sound library's own lines on the failure (ALSA's
  // "cannot find card") are kept off stderr: the game says it in one line.
  bool is_silent() const;
  std::string why_silent() const;

  // For tests: while manual mixing is on, the device thread leaves the
  // sessions alone and only mix() advances them, so positions are exact.
  // mix() writes frame_count interleaved 16-bit stereo frames.
  static void set_manual_mixing(bool manual);
  static void mix(std::int16_t* stereo_frames, int frame_count);
  struct Impl;
 private:
  std::shared_ptr<Impl> impl_;
};

class SoundBuffer_Session {
 public:
  SoundBuffer_Session() = default;  // empty: every call does nothing
  bool is_null() const { return !impl_; }
  void set_looping(bool loop);
  void stop();                  // pauses where it is
  void play();                  // resumes, or restarts after set_position(0)
  void set_position(int sample_position);
  int get_position() const;
  bool is_playing() const;
  bool is_looping() const;
  struct Impl;
  explicit SoundBuffer_Session(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
 private:
  std::shared_ptr<Impl> impl_;
};

// A sound loaded whole from a WAVE or Ogg Vorbis file, chosen by extension
// when format is empty, and converted to the open output's format. Throws
// platform::Exception naming the file and the reason, also for anything but
// a regular file and for a sound longer than ten minutes (at 44.1 kHz stereo
// that is about 100 MB decoded), before that much is held.
class SoundBuffer {
 public:
  SoundBuffer() = default;
  explicit SoundBuffer(const std::string& file, bool streamed = false, const std::string& format = "");
  bool is_null() const { return !impl_; }
  // Starts a new session each call.
  SoundBuffer_Session play(bool looping = false);
  int get_length() const;  // in samples
  struct Impl;
 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace platform
