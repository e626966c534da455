// Picture decoding: every valid picture of the PngSuite set decodes to its raw
// samples as 8-bit RGBA (palette and transparency applied, 16-bit samples cut
// to their high byte, no gamma correction); every broken one fails cleanly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "platform/error.h"
#include "platform/pixel_buffer.h"

using platform::PNGProvider;
using ::testing::HasSubstr;

const std::string pictures_folder = MORVANE_SOURCE_DIR "/tests/platform/";

TEST(PngDecoding, EveryValidPictureDecodesToItsRawSamples) {
  // FNV-1a of the RGBA bytes, worked out by a separate decoder; the pictures
  // on one line (interlaced or not, other chunks or none) decode alike.
  const struct { std::uint64_t checksum; const char* names; int width = 32, height = 32; } pictures[] = {
    {0xf76ab9c2cc275b5du, "basn0g01 interlaced_ibasn0g01"}, {0x100bbcf53d1fd325u, "basn0g02 interlaced_ibasn0g02"},
    {0xca83a263da76ab25u, "basn0g04 interlaced_ibasn0g04"}, {0x11ed8979ce4d7b4du, "basn0g08 ibasn0g08"},
    {0x565667f6b6f01665u, "basn0g16 ibasn0g16"}, {0x6d0a594462868f25u, "basn2c08 ibasn2c08"},
    {0x016a07c086368525u, "basn2c16 ibasn2c16"}, {0x83e9607069333725u, "basn3p01 interlaced_ibasn3p01"},
    {0xe1b97808c557cb25u, "basn3p02 interlaced_ibasn3p02"}, {0x817fff880b5d72c5u, "basn3p04 interlaced_ibasn3p04"},
    {0x3733a8885d80db25u, "basn3p08 ibasn3p08"}, {0x4b4e70fc7720494du, "basn4a08 ibasn4a08"},
    {0x8c09f25148b55145u, "basn4a16 ibasn4a16"}, {0xf9ed41b6375b125du, "basn6a08 ibasn6a08"},
    {0x1c3a480c49c2c715u, "basn6a16 ibasn6a16"}, {0x375832c5d544f7a1u, "ftbbn0g01 interlaced_iftbbn0g01"},
    {0xa515a0f40cc67686u, "ftbbn0g02 interlaced_iftbbn0g02"}, {0x39883b6d2d852264u, "ftbbn0g04 interlaced_iftbbn0g04"},
    {0x1e1f86e420f8ad04u, "ftbbn2c16 ftbgn2c16 ftbrn2c08 iftbbn2c16 iftbgn2c16 iftbrn2c08"},
    {0x6cdff609c65aac37u, "ftbbn3p08 ftbgn3p08 ftbwn3p08 ftbyn3p08 ftp1n3p08 iftbbn3p08 iftbgn3p08 iftbwn3p08 "
                          "iftbyn3p08 iftp1n3p08"},
    {0xa8a3104b5c72067eu, "ftbwn0g16 iftbwn0g16"}, {0x162fa510b7ff822eu, "ftp0n0g08 iftp0n0g08"},
    {0xcca7d2a511030be9u, "ftp0n2c08 iftp0n2c08"}, {0xfd1fa2a0c996ef7fu, "ftp0n3p08 iftp0n3p08"},
    {0xe283a49cedc72325u, "../bad_pictures/wide_8192x1", 8192, 1},
  };
  for (const auto& expected : pictures) {
    std::istringstream names(expected.names);
    for (std::string name; names >> name;) {
      const platform::PixelBuffer picture = PNGProvider::load(pictures_folder + "pngsuite/" + name + ".png");
      ASSERT_TRUE(picture.get_width() == expected.width && picture.get_height() == expected.height) << name;
      std::uint64_t hash = 0xcbf29ce484222325u;
      for (std::size_t i = 0; i < std::size_t(expected.width) * expected.height * 4; ++i)
        hash = (hash ^ picture.get_data()[i]) * 0x100000001b3u;
      EXPECT_EQ(hash, expected.checksum) << name;
    }
  }
}

// Broken files (made for these tests): each fails with an Exception naming the
// file and the reason, quickly and without a word on stderr. The overlong
// chunks used to hang the game; the bomb used to be decoded into gigabytes.
TEST(PngDecoding, BrokenPicturesFailCleanly) {
  const struct { const char* name; const char* reason; } broken[] = {
      {"overlong_bkgd", "ends in the middle of a chunk"}, {"overlong_text", "ends in the middle of a chunk"},
      {"bomb_16000x16000", "16000x16000 pixels is more than 8192 on a side"},
      {"wide_8193x1", "8193x1 pixels is more than 8192 on a side"},
      {"bad_signature", "corrupted by ASCII conversion"}, {"bad_header_crc", "CRC error"},
      {"bad_colour_type", "Invalid IHDR data"}, {"bad_bit_depth", "Invalid IHDR data"},
      {"zero_width", "Invalid IHDR data"}, {"palette_missing", "Missing PLTE"}, {"bad_data_crc", "CRC error"},
      {"bad_zlib_data", "invalid block type"}, {"no_image_data", "IEND"}, {"missing_rows", "Not enough image data"},
      {"cut_in_data", "ends in the middle of a chunk"}, {"missing", "no such file"},
  };
  testing::internal::CaptureStderr();
  for (const auto& expected : broken) {
    const std::string path = pictures_folder + "bad_pictures/" + expected.name + ".png";
    EXPECT_THAT([&] { PNGProvider::load(path); },
                testing::ThrowsMessage<platform::Exception>(testing::AllOf(HasSubstr("'" + path + "': "), HasSubstr(expected.reason))));
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
