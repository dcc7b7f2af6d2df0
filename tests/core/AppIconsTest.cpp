#include "core/resources/AppIcons.h"

#include "fakes/FakeResourceBundle.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tavrilux {
namespace {

std::string pngHeader(std::uint32_t width, std::uint32_t height) {
    std::string data("\x89PNG\r\n\x1a\n", 8);
    auto put32 = [&](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            data += static_cast<char>((v >> shift) & 0xFF);
        }
    };
    put32(13);
    data += "IHDR";
    put32(width);
    put32(height);
    data += std::string("\x08\x06\x00\x00\x00", 5);
    put32(0); // CRC, not checked here
    return data;
}

TEST(AppIconsTest, MissingFileOrOneThatIsNoImageIsNothingAndNotReadAgain) {
    for (const std::optional<std::string>& data :
         {std::optional<std::string>(), std::optional<std::string>("GIF89a not a png, really not"),
          std::optional(pngHeader(0, 16)), std::optional(pngHeader(16, 0)),
          std::optional(pngHeader(16, 16).substr(0, 20)), std::optional<std::string>("")}) {
        auto bundle = std::make_shared<fakes::FakeResourceBundle>();
        if (data) {
            bundle->addFile(AppIconCache::kResourceName, *data);
        }
        AppIconCache icons(bundle);
        EXPECT_FALSE(icons.appIcon());
        EXPECT_FALSE(icons.appIcon());
        EXPECT_EQ(bundle->readCount(AppIconCache::kResourceName), 1);
    }
}

} // namespace
} // namespace tavrilux
