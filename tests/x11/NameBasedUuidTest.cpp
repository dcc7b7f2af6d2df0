#include "platform/x11/NameBasedUuid.h"

#include <gtest/gtest.h>

#include <regex>

namespace tavrilux::x11 {
namespace {

TEST(NameBasedUuidTest, Sha1MatchesKnownDigests) {
    EXPECT_EQ(sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    // Two blocks of input.
    EXPECT_EQ(sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

TEST(NameBasedUuidTest, StableUpperCaseVersionFiveUuids) {
    const auto uuid = nameBasedUuid("output:DP-1");
    EXPECT_TRUE(std::regex_match(
        uuid, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
        << uuid;
    EXPECT_EQ(uuid, nameBasedUuid("output:DP-1"));
    EXPECT_NE(uuid, nameBasedUuid("output:DP-2"));
    // Display exclusions are stored under these keys: the value must never change. Checked
    // against an independent RFC 4122 implementation (uuid5 in namespace
    // 6f1c5e2a-934b-4d0e-8a61-2fd37c45b019).
    EXPECT_EQ(uuid, "6A5CAEF5-4BE8-5348-B143-5E7DB25C820C");
}

} // namespace
} // namespace tavrilux::x11
