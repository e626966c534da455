// Picture decoding: every valid picture of the PngSuite set decodes to its raw
// samples as 8-bit RGBA (palette and transparency applied, 16-bit samples cut
// to their high byte, no gamma correction); every broken one fails cleanly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "platform/error.h"
#include "platform/pixel_buffer.h"

using platform::PNGProvider;
using ::testing::HasSubstr;

namespace {

std::string test_picture(const std::string& name) { return MORVANE_SOURCE_DIR "/tests/platform/" + name; }

std::uint64_t fnv1a(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (std::size_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3u;
  return hash;
}

}  // namespace

TEST(PngDecoding, EveryValidPictureDecodesToItsRawSamples) {
  // FNV-1a of the RGBA bytes, worked out by a separate decoder.
  const struct { const char* name; int width, height; std::uint64_t checksum; } pictures[] = {
    {"pngsuite/basn0g01.png", 32, 32, 0xf76ab9c2cc275b5du},
    {"pngsuite/basn0g02.png", 32, 32, 0x100bbcf53d1fd325u},
    {"pngsuite/basn0g04.png", 32, 32, 0xca83a263da76ab25u},
    {"pngsuite/basn0g08.png", 32, 32, 0x11ed8979ce4d7b4du},
    {"pngsuite/basn0g16.png", 32, 32, 0x565667f6b6f01665u},
    {"pngsuite/basn2c08.png", 32, 32, 0x6d0a594462868f25u},
    {"pngsuite/basn2c16.png", 32, 32, 0x016a07c086368525u},
    {"pngsuite/basn3p01.png", 32, 32, 0x83e9607069333725u},
    {"pngsuite/basn3p02.png", 32, 32, 0xe1b97808c557cb25u},
    {"pngsuite/basn3p04.png", 32, 32, 0x817fff880b5d72c5u},
    {"pngsuite/basn3p08.png", 32, 32, 0x3733a8885d80db25u},
    {"pngsuite/basn4a08.png", 32, 32, 0x4b4e70fc7720494du},
    {"pngsuite/basn4a16.png", 32, 32, 0x8c09f25148b55145u},
    {"pngsuite/basn6a08.png", 32, 32, 0xf9ed41b6375b125du},
    {"pngsuite/basn6a16.png", 32, 32, 0x1c3a480c49c2c715u},
    {"pngsuite/ftbbn0g01.png", 32, 32, 0x375832c5d544f7a1u},
    {"pngsuite/ftbbn0g02.png", 32, 32, 0xa515a0f40cc67686u},
    {"pngsuite/ftbbn0g04.png", 32, 32, 0x39883b6d2d852264u},
    {"pngsuite/ftbbn2c16.png", 32, 32, 0x1e1f86e420f8ad04u},
    {"pngsuite/ftbbn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/ftbgn2c16.png", 32, 32, 0x1e1f86e420f8ad04u},
    {"pngsuite/ftbgn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/ftbrn2c08.png", 32, 32, 0x1e1f86e420f8ad04u},
    {"pngsuite/ftbwn0g16.png", 32, 32, 0xa8a3104b5c72067eu},
    {"pngsuite/ftbwn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/ftbyn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/ftp0n0g08.png", 32, 32, 0x162fa510b7ff822eu},
    {"pngsuite/ftp0n2c08.png", 32, 32, 0xcca7d2a511030be9u},
    {"pngsuite/ftp0n3p08.png", 32, 32, 0xfd1fa2a0c996ef7fu},
    {"pngsuite/ftp1n3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/ibasn0g08.png", 32, 32, 0x11ed8979ce4d7b4du},
    {"pngsuite/ibasn0g16.png", 32, 32, 0x565667f6b6f01665u},
    {"pngsuite/ibasn2c08.png", 32, 32, 0x6d0a594462868f25u},
    {"pngsuite/ibasn2c16.png", 32, 32, 0x016a07c086368525u},
    {"pngsuite/ibasn3p08.png", 32, 32, 0x3733a8885d80db25u},
    {"pngsuite/ibasn4a08.png", 32, 32, 0x4b4e70fc7720494du},
    {"pngsuite/ibasn4a16.png", 32, 32, 0x8c09f25148b55145u},
    {"pngsuite/ibasn6a08.png", 32, 32, 0xf9ed41b6375b125du},
    {"pngsuite/ibasn6a16.png", 32, 32, 0x1c3a480c49c2c715u},
    {"pngsuite/iftbbn2c16.png", 32, 32, 0x1e1f86e420f8ad04u},
    {"pngsuite/iftbbn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/iftbgn2c16.png", 32, 32, 0x1e1f86e420f8ad04u},
    {"pngsuite/iftbgn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/iftbrn2c08.png", 32, 32, 0x1e1f86e420f8ad04u},
    {"pngsuite/iftbwn0g16.png", 32, 32, 0xa8a3104b5c72067eu},
    {"pngsuite/iftbwn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/iftbyn3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/iftp0n0g08.png", 32, 32, 0x162fa510b7ff822eu},
    {"pngsuite/iftp0n2c08.png", 32, 32, 0xcca7d2a511030be9u},
    {"pngsuite/iftp0n3p08.png", 32, 32, 0xfd1fa2a0c996ef7fu},
    {"pngsuite/iftp1n3p08.png", 32, 32, 0x6cdff609c65aac37u},
    {"pngsuite/interlaced_ibasn0g01.png", 32, 32, 0xf76ab9c2cc275b5du},
    {"pngsuite/interlaced_ibasn0g02.png", 32, 32, 0x100bbcf53d1fd325u},
    {"pngsuite/interlaced_ibasn0g04.png", 32, 32, 0xca83a263da76ab25u},
    {"pngsuite/interlaced_ibasn3p01.png", 32, 32, 0x83e9607069333725u},
    {"pngsuite/interlaced_ibasn3p02.png", 32, 32, 0xe1b97808c557cb25u},
    {"pngsuite/interlaced_ibasn3p04.png", 32, 32, 0x817fff880b5d72c5u},
    {"pngsuite/interlaced_iftbbn0g01.png", 32, 32, 0x375832c5d544f7a1u},
    {"pngsuite/interlaced_iftbbn0g02.png", 32, 32, 0xa515a0f40cc67686u},
    {"pngsuite/interlaced_iftbbn0g04.png", 32, 32, 0x39883b6d2d852264u},
    {"bad_pictures/wide_8192x1.png", 8192, 1, 0xe283a49cedc72325u},
  };
  for (const auto& expected : pictures) {
    const platform::PixelBuffer picture = PNGProvider::load(test_picture(expected.name));
    ASSERT_EQ(picture.get_width(), expected.width) << expected.name;
    ASSERT_EQ(picture.get_height(), expected.height) << expected.name;
    EXPECT_EQ(fnv1a(picture.get_data(), static_cast<std::size_t>(expected.width) * expected.height * 4),
              expected.checksum)
        << expected.name;
  }

  const struct { const char* name; int x, y; platform::PixelBuffer::Rgba colour; } pixels[] = {
      {"ftbbn0g04.png", 0, 0, {255, 255, 255, 0}},  // the transparent gray
      {"ftbbn0g04.png", 14, 2, {221, 221, 221, 255}},
      {"ftbbn0g01.png", 0, 0, {0, 0, 0, 0}},
      {"ftbbn0g01.png", 1, 4, {255, 255, 255, 255}},
      {"ftbwn0g16.png", 0, 0, {255, 255, 255, 0}},
      {"ftbwn0g16.png", 17, 3, {96, 96, 96, 255}},  // high byte, not rounded to 97
      {"basn2c16.png", 3, 0, {231, 255, 0, 255}},
      {"basn3p08.png", 4, 0, {1, 2, 0, 255}},
  };
  for (const auto& expected : pixels) {
    const auto found =
        PNGProvider::load(test_picture(std::string("pngsuite/") + expected.name)).get_pixel(expected.x, expected.y);
    EXPECT_EQ((std::array<int, 4>{found.r, found.g, found.b, found.a}),
              (std::array<int, 4>{expected.colour.r, expected.colour.g, expected.colour.b, expected.colour.a}))
        << expected.name << " at " << expected.x << "," << expected.y;
  }
}

// Broken files (made for these tests): each fails with an Exception naming the
// file and the reason, quickly and without a word on stderr. The overlong
// chunks used to hang the game; the bomb used to be decoded into gigabytes.
TEST(PngDecoding, BrokenPicturesFailCleanly) {
  const struct { const char* name; const char* reason; } broken[] = {
      {"overlong_bkgd.png", "ends in the middle of a chunk"},
      {"overlong_text.png", "ends in the middle of a chunk"},
      {"bomb_16000x16000.png", "16000x16000 pixels is more than 8192 on a side"},
      {"wide_8193x1.png", "8193x1 pixels is more than 8192 on a side"},
      {"bad_signature.png", "corrupted by ASCII conversion"},
      {"bad_header_crc.png", "CRC error"},
      {"bad_colour_type.png", "Invalid IHDR data"},
      {"bad_bit_depth.png", "Invalid IHDR data"},
      {"zero_width.png", "Invalid IHDR data"},
      {"palette_missing.png", "Missing PLTE"},
      {"bad_data_crc.png", "CRC error"},
      {"bad_zlib_data.png", "invalid block type"},
      {"no_image_data.png", "IEND"},
      {"missing_rows.png", "Not enough image data"},
      {"cut_in_data.png", "ends in the middle of a chunk"},
      {"missing.png", "No such file"},
  };
  testing::internal::CaptureStderr();
  for (const auto& expected : broken) {
    const std::string path = test_picture(std::string("bad_pictures/") + expected.name);
    try {
      PNGProvider::load(path);
      ADD_FAILURE() << expected.name << " decoded";
    } catch (const platform::Exception& error) {
      EXPECT_THAT(error.what(), HasSubstr("'" + path + "': ")) << expected.name;
      EXPECT_THAT(error.what(), HasSubstr(expected.reason)) << expected.name;
    }
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
