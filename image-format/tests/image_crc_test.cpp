#include "image_crc.h"

#include <gtest/gtest.h>

#include <boost/crc.hpp>
#include <cstring>
#include <random>
#include <vector>

namespace {

using probe::ProbeImageCrc;

std::uint32_t CrcOf(const char* text) {
    return ProbeImageCrc(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
}

TEST(ImageCrc, KnownValues) {
    EXPECT_EQ(CrcOf("abc"), 0x974Fu);
    EXPECT_EQ(CrcOf("123456789"), 0xAC9Fu);
    EXPECT_EQ(ProbeImageCrc(nullptr, 0), 0u);
}

TEST(ImageCrc, MatchesGenericReflectedCrc16) {
    std::mt19937 random(1234);
    std::vector<std::uint8_t> bytes(256);
    for (int round = 0; round < 2000; ++round) {
        std::size_t count = random() % 257;
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        boost::crc_optimal<16, 0x8409, 0, 0, true, true> oracle;
        oracle.process_bytes(bytes.data(), count);
        ASSERT_EQ(ProbeImageCrc(bytes.data(), count), oracle.checksum()) << count;
    }
}

TEST(ImageCrc, EverySingleByteChangeIsSeen) {
    std::vector<std::uint8_t> bytes(252, 0x20);
    std::uint32_t base = ProbeImageCrc(bytes.data(), bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            bytes[i] ^= static_cast<std::uint8_t>(1 << bit);
            ASSERT_NE(ProbeImageCrc(bytes.data(), bytes.size()), base) << i << ":" << bit;
            bytes[i] ^= static_cast<std::uint8_t>(1 << bit);
        }
    }
}

TEST(ImageCrc, LittleEndianWords) {
    std::uint8_t word[4];
    probe::StoreLittleEndian32(word, 0x0000AC9Fu);
    EXPECT_EQ(word[0], 0x9F);
    EXPECT_EQ(word[1], 0xAC);
    EXPECT_EQ(word[2], 0);
    EXPECT_EQ(word[3], 0);
    EXPECT_EQ(probe::LoadLittleEndian32(word), 0xAC9Fu);
}

}  // namespace
