#include "platform/x11/NameBasedUuid.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace tavrilux::x11 {

namespace {

// Namespace of display UUIDs; fixed forever, or every stored display exclusion breaks.
constexpr std::array<std::uint8_t, 16> kDisplayNamespace{
    0x6f, 0x1c, 0x5e, 0x2a, 0x93, 0x4b, 0x4d, 0x0e, 0x8a, 0x61, 0x2f, 0xd3, 0x7c, 0x45, 0xb0, 0x19};

std::uint32_t rotl(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

std::array<std::uint8_t, 20> sha1(std::string_view data) {
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::string message(data);
    const std::uint64_t bitLength = static_cast<std::uint64_t>(data.size()) * 8;
    message.push_back(static_cast<char>(0x80));
    while (message.size() % 64 != 56) {
        message.push_back('\0');
    }
    for (int i = 7; i >= 0; --i) {
        message.push_back(static_cast<char>((bitLength >> (i * 8)) & 0xff));
    }
    for (std::size_t chunk = 0; chunk < message.size(); chunk += 64) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i) {
            const auto* p = reinterpret_cast<const unsigned char*>(message.data() + chunk + i * 4);
            w[i] = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                   (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
        }
        for (int i = 16; i < 80; ++i) {
            w[i] = rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            std::uint32_t f = 0;
            std::uint32_t k = 0;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5A827999;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ED9EBA1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8F1BBCDC;
            } else {
                f = b ^ c ^ d;
                k = 0xCA62C1D6;
            }
            const std::uint32_t temp = rotl(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = rotl(b, 30);
            b = a;
            a = temp;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
    }
    std::array<std::uint8_t, 20> digest{};
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 4; ++j) {
            digest[static_cast<std::size_t>(i * 4 + j)] =
                static_cast<std::uint8_t>((h[i] >> (24 - j * 8)) & 0xff);
        }
    }
    return digest;
}

} // namespace

std::string sha1Hex(std::string_view data) {
    const auto digest = sha1(data);
    std::string hex;
    char buffer[3];
    for (auto byte : digest) {
        std::snprintf(buffer, sizeof buffer, "%02x", byte);
        hex += buffer;
    }
    return hex;
}

std::string nameBasedUuid(std::string_view name) {
    std::string input(reinterpret_cast<const char*>(kDisplayNamespace.data()),
                      kDisplayNamespace.size());
    input.append(name);
    auto digest = sha1(input);
    digest[6] = static_cast<std::uint8_t>((digest[6] & 0x0f) | 0x50); // version 5
    digest[8] = static_cast<std::uint8_t>((digest[8] & 0x3f) | 0x80); // RFC 4122 variant
    std::string uuid;
    char buffer[3];
    for (std::size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            uuid += '-';
        }
        std::snprintf(buffer, sizeof buffer, "%02X", digest[i]);
        uuid += buffer;
    }
    return uuid;
}

} // namespace tavrilux::x11
