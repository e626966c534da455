// libFuzzer target: any bytes as a sound file, loaded as the game loads its
// music and sound effects, then played for a moment. Input that starts like
// a WAVE file is named .wav, anything else .ogg, so both decoders get it.
// Only platform::Exception may come out.
// The output runs at a quarter of the game's rate: every sound still goes
// through the same decoding and conversion, while the sounds just within the
// length limit, which mutated rates make common, cost a quarter as much.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../scratch_folder.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFolder folder;
  static const platform::SoundOutput output = [] {
    platform::SoundOutput::set_manual_mixing(true);
    return platform::SoundOutput(11025, 256);
  }();
  const bool wave = size >= 4 && std::string(reinterpret_cast<const char*>(data), 4) == "RIFF";
  const std::string path = folder.file(wave ? "sound.wav" : "sound.ogg");
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  try {
    platform::SoundBuffer sound(path, false, "");
    platform::SoundBuffer_Session session = sound.play(true);
    std::vector<std::int16_t> mixed(2 * 512);
    platform::SoundOutput::mix(mixed.data(), 512);
    session.stop();
  } catch (const platform::Exception&) {
  }
  return 0;
}
