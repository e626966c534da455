#pragma once
// Sounds whose samples say which frame of them was played, and the sound
// output mixed by hand: SoundOutput::mix runs the mixing the device runs, so
// what it returns is what the player would hear, at exact positions.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sound.h"

// A 16-bit PCM WAVE file's bytes; the first channel of frame i holds i + 1,
// the others 100.
inline std::string counting_wave(int frames, std::uint16_t channels = 2, std::uint32_t rate = 44100) {
  std::string bytes;
  auto put = [&](std::uint32_t v, int size) { bytes.append(reinterpret_cast<const char*>(&v), size); };
  const std::uint32_t data_bytes = frames * channels * 2u;
  bytes += "RIFF", put(36 + data_bytes, 4), bytes += "WAVEfmt ", put(16, 4), put(1, 2), put(channels, 2);
  put(rate, 4), put(rate * channels * 2, 4), put(channels * 2, 2), put(16, 2), bytes += "data", put(data_bytes, 4);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) put(c == 0 ? i + 1 : 100, 2);
  return bytes;
}

// While it lives the device leaves the playing sounds alone; only heard() moves them on.
struct ManualMixing {
  ManualMixing() { platform::SoundOutput::set_manual_mixing(true); }
  ~ManualMixing() { platform::SoundOutput::set_manual_mixing(false); }
  ManualMixing(const ManualMixing&) = delete;
  ManualMixing& operator=(const ManualMixing&) = delete;
};

// The first channel of each of the next `frames` mixed frames.
inline std::vector<int> heard(int frames) {
  std::vector<std::int16_t> out(frames * 2u);
  platform::SoundOutput::mix(out.data(), frames);
  std::vector<int> first;
  for (int i = 0; i < frames; ++i) first.push_back(out[i * 2u]);
  return first;
}
