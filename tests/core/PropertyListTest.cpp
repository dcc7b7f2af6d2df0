#include "core/services/XmlPropertyList.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrilux {
namespace {

PropertyListValue agentWith(const std::string& path) {
    auto root = PropertyListValue::dictionary();
    root.set("Label", PropertyListValue::string("com.mirtal.tavrilux.dev"));
    root.set("ProgramArguments", PropertyListValue::array({PropertyListValue::string(path)}));
    root.set("RunAtLoad", PropertyListValue::boolean(true));
    root.set("Count", PropertyListValue::integer(-42));
    root.set("Ratio", PropertyListValue::real(0.25));
    root.set("Empty", PropertyListValue::array());
    root.set("Nested", PropertyListValue::dictionary());
    return root;
}

TEST(XmlPropertyListTest, RoundTripsEveryTypeAndKeepsKeyOrder) {
    const auto original = agentWith("/opt/a b/tavrilux");
    auto text = XmlPropertyList::serialize(original);
    ASSERT_TRUE(text.ok()) << text.failure().description;
    EXPECT_EQ(text.value().rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
    EXPECT_NE(text.value().find("<plist version=\"1.0\">"), std::string::npos);
    EXPECT_NE(text.value().find("<true/>"), std::string::npos);
    auto parsed = XmlPropertyList::parse(text.value());
    ASSERT_TRUE(parsed.ok()) << parsed.failure().description;
    EXPECT_EQ(parsed.value(), original);
    EXPECT_EQ(parsed.value().keys().front(), "Label");
}

TEST(XmlPropertyListTest, EscapesMarkupInPathsAndReadsItBack) {
    const std::string path = "/home/o'neil/<dev> & \"builds\"/ünï\r/tavrilux]]>";
    auto text = XmlPropertyList::serialize(agentWith(path));
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(text.value().find("<dev>"), std::string::npos);
    EXPECT_NE(text.value().find("&lt;dev&gt; &amp; "), std::string::npos);
    auto parsed = XmlPropertyList::parse(text.value());
    ASSERT_TRUE(parsed.ok()) << parsed.failure().description;
    const auto* args = parsed.value().find("ProgramArguments");
    ASSERT_NE(args, nullptr);
    EXPECT_EQ(args->items().at(0).stringValue(), path);
}

TEST(XmlPropertyListTest, RefusesTextThatXmlCannotCarry) {
    EXPECT_FALSE(XmlPropertyList::serialize(agentWith(std::string("/tmp/a\x01") + "b")).ok());
    EXPECT_FALSE(XmlPropertyList::serialize(agentWith("/tmp/\xff\xfe")).ok());
    EXPECT_FALSE(XmlPropertyList::serialize(agentWith(std::string("/tmp/\0x", 7))).ok());
    auto key = PropertyListValue::dictionary();
    key.set("bad\x02key", PropertyListValue::boolean(false));
    EXPECT_FALSE(XmlPropertyList::serialize(key).ok());
}

TEST(XmlPropertyListTest, ReadsWhatOtherWritersProduce) {
    const char* document =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n"
        "<!-- written by hand -->\n"
        "<!DOCTYPE plist PUBLIC \"x\" \"y\">\n"
        "<plist version='1.0'><dict>"
        "<key>A</key><string><![CDATA[<raw> & ]]>&#x41;&#66;&quot;&apos;</string>"
        "<key>B</key><string/>"
        "<key>C</key><integer> +7 </integer>"
        "<key>D</key><true></true>"
        "<key>E</key><date>2024-01-01T00:00:00Z</date>"
        "<key>F</key><array><!-- none --></array>"
        "</dict></plist>";
    auto parsed = XmlPropertyList::parse(document);
    ASSERT_TRUE(parsed.ok()) << parsed.failure().description;
    const auto& root = parsed.value();
    EXPECT_EQ(root.find("A")->stringValue(), "<raw> & AB\"'");
    EXPECT_EQ(root.find("B")->stringValue(), "");
    EXPECT_EQ(root.find("C")->asInteger(), 7);
    EXPECT_EQ(root.find("D")->asBool(), true);
    EXPECT_EQ(root.find("E")->type(), PropertyListValue::Type::date);
    EXPECT_TRUE(root.find("F")->items().empty());
}

TEST(XmlPropertyListTest, RejectsMalformedDocuments) {
    const char* bad[] = {
        "",
        "<plist version=\"1.0\"></plist>",
        "<plist><dict><key>A</key></dict></plist>",
        "<plist><dict><string>x</string></dict></plist>",
        "<plist><dict><key>A</key><string>x</dict></plist>",
        "<plist><array><string>x</string></plist>",
        "<plist><string>a</string><string>b</string></plist>",
        "<plist><string>a</string></plist>trailing",
        "<plist><string>&bogus;</string></plist>",
        "<plist><string>&#0;</string></plist>",
        "<plist><integer>12x</integer></plist>",
        "<plist><integer>99999999999999999999</integer></plist>",
        "<plist><widget/></plist>",
        "<plist><string>\xC3</string></plist>",
        "<plist><string>cut short",
    };
    for (const char* document : bad) {
        EXPECT_FALSE(XmlPropertyList::parse(document).ok()) << document;
    }
}

TEST(XmlPropertyListTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string deep = "<plist>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<array>";
    }
    EXPECT_FALSE(XmlPropertyList::parse(deep).ok());

    auto nested = PropertyListValue::array();
    for (int i = 0; i < XmlPropertyList::kMaxDepth + 2; ++i) {
        nested = PropertyListValue::array({nested});
    }
    EXPECT_FALSE(XmlPropertyList::serialize(nested).ok());
}

} // namespace
} // namespace tavrilux
