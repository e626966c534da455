#include <sys/stat.h>
#include <vorbis/vorbisenc.h>

#include <chrono>
#include <thread>

#include "platform_test_support.h"
#include "support/address_space_cap.h"
#include "support/counting_sound.h"

using namespace platform;

namespace {

const TempFolder folder;

std::string write_wav(const std::string& name, int frames, std::uint16_t channels = 2, std::uint32_t rate = 44100) {
  return folder.write(name, counting_wave(frames, channels, rate));
}

// Mono 8-bit PCM at `rate` Hz, as small as a long sound can be.
std::string write_tiny_rate_wav(const std::string& name, std::uint32_t frames, std::uint32_t rate) {
  std::ofstream out(folder.path / name, std::ios::binary);
  auto put = [&](std::uint32_t v, int bytes) { out.write(reinterpret_cast<const char*>(&v), bytes); };
  out << "RIFF", put(36 + frames, 4), out << "WAVEfmt ", put(16, 4), put(1, 2), put(1, 2);
  put(rate, 4), put(rate, 4), put(1, 2), put(8, 2), out << "data", put(frames, 4);
  out << std::string(frames, '\x80');
  return (folder.path / name).string();
}

// Mono Ogg Vorbis silence at `rate` Hz holding `frames` samples, whose last
// page claims `claimed` samples instead when that is not negative. One packet
// of encoded silence is repeated, so even hours stay small and quick to write.
std::string write_silent_ogg(const std::string& name, long rate, std::int64_t frames, std::int64_t claimed = -1) {
  vorbis_info info;
  vorbis_info_init(&info);
  vorbis_encode_init_vbr(&info, 1, rate, 0.0f);
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);
  ogg_packet headers[3];
  vorbis_analysis_headerout(&dsp, &comment, &headers[0], &headers[1], &headers[2]);
  for (ogg_packet& header : headers) ogg_stream_packetin(&stream, &header);

  std::ofstream out(folder.path / name, std::ios::binary);
  ogg_page page;
  auto write_pages = [&](bool flush) {
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
      out.write(reinterpret_cast<const char*>(page.header), page.header_len);
      out.write(reinterpret_cast<const char*>(page.body), page.body_len);
    }
  };
  write_pages(true);

  float** input = vorbis_analysis_buffer(&dsp, static_cast<int>(rate));
  std::fill(input[0], input[0] + rate, 0.0f);
  vorbis_analysis_wrote(&dsp, static_cast<int>(rate));
  vorbis_analysis_wrote(&dsp, 0);
  const long long_block = vorbis_info_blocksize(&info, 1);
  std::string silence;
  ogg_packet packet;
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr), vorbis_bitrate_addblock(&block);
    while (vorbis_bitrate_flushpacket(&dsp, &packet))
      if (silence.empty() && packet.packetno > 4 && vorbis_packet_blocksize(&info, &packet) == long_block)
        silence.assign(reinterpret_cast<const char*>(packet.packet), packet.bytes);
  }
  const std::int64_t packets = 1 + (frames + long_block / 2 - 1) / (long_block / 2);
  for (std::int64_t n = 0; n < packets; ++n) {
    packet = {reinterpret_cast<unsigned char*>(silence.data()), static_cast<long>(silence.size()), 0, n + 1 == packets,
              n + 1 == packets && claimed >= 0 ? claimed : std::min(n * (long_block / 2), frames), n + 3};
    ogg_stream_packetin(&stream, &packet);
    write_pages(false);
  }
  write_pages(true);
  ogg_stream_clear(&stream), vorbis_block_clear(&block), vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment), vorbis_info_clear(&info);
  return (folder.path / name).string();
}

void expect_failure(const std::string& path, const std::string& reason) {
  EXPECT_THAT([&] { SoundBuffer buffer(path); }, platform_test::throws_naming(path));
  EXPECT_THAT([&] { SoundBuffer buffer(path); }, platform_test::throws_naming(reason));
}

struct SoundSessions : ::testing::Test {
  ManualMixing manual;
  SoundOutput output{44100, 256};
  SoundBuffer sound{write_wav("thousand.wav", 1000)};
};

}  // namespace

// Sessions mix into one another, stop and resume where they were, loop
// without a gap, and end at their last frame, freeing their slot.
TEST_F(SoundSessions, SessionsMixStopResumeLoopAndEnd) {
  SoundBuffer_Session first = sound.play();
  heard(100);
  SoundBuffer_Session second = sound.play();
  EXPECT_EQ(heard(1)[0], 101 + 1);  // both sessions mixed
  first.stop();
  EXPECT_TRUE(heard(1)[0] == 2 && first.get_position() == 101 && !first.is_playing());
  const std::vector<int> rest = heard(1500);
  EXPECT_TRUE(rest[997] == 1000 && rest[998] == 0 && !second.is_playing() && second.get_position() == 1000);
  second.play();  // a finished sound plays again from its start
  EXPECT_EQ(heard(1)[0], 1);
  second.stop();

  first.play(), first.play();  // already playing: no second copy
  EXPECT_EQ(heard(1)[0], 102);
  first.set_looping(true);  // while playing, as the game does
  const std::vector<int> looped = heard(2000);
  EXPECT_TRUE(looped[897] == 1000 && looped[898] == 1 && looped[1897] == 1000);  // no gap at the seam
  EXPECT_TRUE(first.is_playing() && first.is_looping());
  first.stop();
  EXPECT_EQ(heard(50)[0], 0);
  first.set_position(0), first.play();
  EXPECT_EQ(heard(1)[0], 1);
  first.set_looping(false);
  heard(1000);
  EXPECT_FALSE(first.is_playing());

  SoundBuffer_Session none;
  none.set_looping(true), none.play(), none.set_position(10), none.stop();
  EXPECT_TRUE(none.get_position() == 0 && !none.is_playing() && !none.is_looping());
  EXPECT_TRUE(SoundBuffer().play().is_null());
}

// Wave and Ogg files, converted to the output's format; bad ones throw naming
// the file and the reason, and an explicit format wins over the file's name.
TEST_F(SoundSessions, LoadsWaveAndOggOrThrowsNamingTheFileAndTheReason) {
  const std::string corrupt = (folder.path / "corrupt.wav").string(), wave_as_ogg = (folder.path / "wave.ogg").string();
  std::ofstream(corrupt, std::ios::binary) << "RIFF garbage";
  std::ofstream(folder.path / "header.wav", std::ios::binary) << std::string("RIFF\0\0\0\0WAVE", 12);
  std::filesystem::copy_file(write_wav("plain.wav", 10), wave_as_ogg, std::filesystem::copy_options::overwrite_existing);
  // What is no regular file is refused before a byte is read: a pipe would
  // block the open for ever, a device never end.
  const std::filesystem::path pipe = folder.path / "pipe.ogg", zero = folder.path / "zero.wav";
  mkfifo(pipe.c_str(), 0644);
  std::filesystem::create_symlink("/dev/zero", zero);
  std::filesystem::create_directory(folder.path / "folder.ogg");
  for (const auto& [file, reason] : {std::pair{(folder.path / "absent.wav").string(), "no such file"}, {corrupt, "not a WAVE file"},
                                     {wave_as_ogg, "not an Ogg Vorbis file"},
                                     {(folder.path / "header.wav").string(), "fmt chunk"}, {write_wav("song.mp3", 10), "unknown sound format"},
                                     {pipe.string(), "not a regular file"}, {zero.string(), "not a regular file"},
                                     {(folder.path / "folder.ogg").string(), "is a folder"}})
    expect_failure(file, reason);
  // A read that fails part-way is an error, not a sound cut short.
  VirtualSeam seam;
  ScopedSeam installed(seam);
  seam.fail_reads("failing.wav", 30, EIO), seam.fail_reads("failing.ogg", 100, EIO);
  expect_failure(write_wav("failing.wav", 10), "Input/output error");
  expect_failure(write_silent_ogg("failing.ogg", 22050, 22050), "Input/output error");
  EXPECT_EQ(SoundBuffer(wave_as_ogg, false, "wav").get_length(), 10);
  EXPECT_NEAR(SoundBuffer(write_wav("mono22k.wav", 500, 1, 22050)).get_length(), 1000, 4);
  EXPECT_NEAR(SoundBuffer(write_silent_ogg("second.ogg", 22050, 22050)).get_length(), 44100, 4);
}

// No sound may decode to more than ten minutes of 44.1 kHz stereo, whatever
// its headers say: it is refused before that much is held.
TEST_F(SoundSessions, RefusesSoundsThatWouldDecodeToMoreThanTenMinutes) {
  std::string jump = (folder.path / "jump_at_1_hz.wav").string(), lying = (folder.path / "lying_data_length.wav").string();
  std::filesystem::copy_file(MORVANE_DATA_TREE "/sounds/jump.wav", jump, std::filesystem::copy_options::overwrite_existing);
  std::fstream(jump, std::ios::binary | std::ios::in | std::ios::out).seekp(24).write("\1\0\0\0", 4);
  std::filesystem::copy_file(write_wav("ten.wav", 10), lying, std::filesystem::copy_options::overwrite_existing);
  std::fstream(lying, std::ios::binary | std::ios::in | std::ios::out).seekp(40).write("\xff\xff\xff\xff", 4);

  for (const std::string& file : {write_tiny_rate_wav("3k_at_1_hz.wav", 3000, 1), jump,
                                  write_tiny_rate_wav("ten_minutes_and_a_sample.wav", 600 * 1000 + 1, 1000),
                                  write_silent_ogg("eleven_minutes.ogg", 8000, 11 * 60 * 8000),
                                  write_silent_ogg("eleven_minutes_claiming_one_second.ogg", 8000, 11 * 60 * 8000, 8000)})
    expect_failure(file, "more than ten minutes");

  // Cut right after a data chunk header that claims 4 GiB: nothing to hold, and no 4 GiB asked for.
  const std::string cut = write_tiny_rate_wav("cut_after_data_header.wav", 0, 8000);
  std::fstream(cut, std::ios::binary | std::ios::in | std::ios::out).seekp(40).write("\xf0\xff\xff\xff", 4);
  {
    const test_support::AddressSpaceCap no_gigabytes(std::uint64_t{1} << 30);
    EXPECT_EQ(std::pair(SoundBuffer(lying).get_length(), SoundBuffer(cut).get_length()), std::pair(10, 0))
        << "what the file holds, not what it claims";
  }
  EXPECT_EQ(SoundBuffer(write_tiny_rate_wav("ten_minutes.wav", 600 * 1000, 1000)).get_length(), 600 * 44100);
  EXPECT_NO_THROW(SoundBuffer(write_silent_ogg("ten_minutes.ogg", 8000, 600 * 8000)));
}

TEST(SoundOutput, MixesOnTheDevicesThreadAndFallsBackToSilenceWithoutADevice) {
  {
    SoundOutput output(44100, 256);
    EXPECT_FALSE(output.is_silent());
    SoundBuffer_Session s = SoundBuffer(write_wav("device.wav", 2000)).play(true);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (s.get_position() == 0 && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(s.get_position(), 0);
  }
  const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  {  // sounds still load
    const SoundOutput output(44100, 256);
    EXPECT_TRUE(output.is_silent() && SoundBuffer(write_wav("silent.wav", 100)).get_length() == 100);
    EXPECT_THAT(output.why_silent(), testing::HasSubstr("no_such_driver")) << "the game's one line says why";
  }
  driver.empty() ? unsetenv("SDL_AUDIODRIVER") : setenv("SDL_AUDIODRIVER", driver.c_str(), 1);

  expect_failure(write_wav("orphan.wav", 10), "no sound output is open");
  EXPECT_THROW(SoundOutput(0, 256), Exception);
  EXPECT_THROW(SoundOutput(44100, -1), Exception);
}
