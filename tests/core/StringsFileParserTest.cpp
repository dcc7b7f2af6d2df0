#include "core/localization/StringsFileParser.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrilux {
namespace {

StringTable parsed(std::string_view text) {
    auto result = StringsFileParser::parse(text);
    if (auto* error = std::get_if<StringsParseError>(&result)) {
        ADD_FAILURE() << "line " << error->line << ": " << error->message;
        return {};
    }
    return std::get<StringTable>(std::move(result));
}

StringsParseError failure(std::string_view text) {
    auto result = StringsFileParser::parse(text);
    if (std::holds_alternative<StringTable>(result)) {
        ADD_FAILURE() << "expected a malformed table: " << text;
        return {};
    }
    return std::get<StringsParseError>(result);
}

TEST(StringsFileParserTest, ReadsEntriesBetweenCommentsOfBothKinds) {
    const auto table =
        parsed("/* header\n   over two lines */\n"
               "\"app_name\" = \"Tavrilux\"; // trailing note\n"
               "// \"commented_out\" = \"no\";\n"
               "\"quit\"=\"Quit\";\"blur\" /* inline */ = /* here too */ \"Blur\" ;\n");
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.localizedString("app_name"), "Tavrilux");
    EXPECT_EQ(table.localizedString("quit"), "Quit");
    EXPECT_EQ(table.localizedString("blur"), "Blur");
    EXPECT_FALSE(table.contains("commented_out"));
}

TEST(StringsFileParserTest, DecodesEscapes) {
    const auto table = parsed(R"("q" = "say \"hi\" \\ it's";)"
                              R"("ws" = "a\nb\tc\rd";)"
                              R"("oct" = "\101\1012\18";)"
                              R"("uni" = "\U00e9t\u00E9";)"
                              R"("pair" = "\UD83C\UDF19";)"
                              R"("other" = "\q";)");
    EXPECT_EQ(table.localizedString("q"), "say \"hi\" \\ it's");
    EXPECT_EQ(table.localizedString("ws"), "a\nb\tc\rd");
    // At most three octal digits, and only 0 to 7: the digits after them are text.
    EXPECT_EQ(table.localizedString("oct"), "AA2\x01"
                                            "8");
    EXPECT_EQ(table.localizedString("uni"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(table.localizedString("pair"), "\xF0\x9F\x8C\x99"); // U+1F319 crescent moon
    EXPECT_EQ(table.localizedString("other"), "q");
}

TEST(StringsFileParserTest, KeepsUtf8TextAndSkipsByteOrderMark) {
    const auto table = parsed("\xEF\xBB\xBF\"about\" = \"Über – À propos ✓\";");
    EXPECT_EQ(table.localizedString("about"), "Über – À propos ✓");
}

TEST(StringsFileParserTest, AcceptsShorthandUnquotedTokensAndLaterEntriesWin) {
    const auto table = parsed("\"same\";\nplain_key = \"Plain\";\nk = v.1;\n"
                              "\"dup\" = \"first\";\n\"dup\" = \"second\";\n\"empty\" = \"\";");
    EXPECT_EQ(table.localizedString("same"), "same");
    EXPECT_EQ(table.localizedString("plain_key"), "Plain");
    EXPECT_EQ(table.localizedString("k"), "v.1");
    EXPECT_EQ(table.localizedString("dup"), "second");
    ASSERT_TRUE(table.contains("empty"));
    EXPECT_EQ(table.localizedString("empty"), "");
}

TEST(StringsFileParserTest, EmptyOrCommentOnlyTextIsAnEmptyTableThatShowsKeys) {
    EXPECT_EQ(parsed("").localizedString("settings_tab_about"), "settings_tab_about");
    EXPECT_TRUE(parsed("  /* nothing */ \n // here\n").empty());
}

TEST(StringsFileParserTest, ReportsMalformedTextWithItsLine) {
    struct Case {
        const char* text;
        std::size_t line;
    };
    const Case cases[] = {
        {"\"a\" = \"A\";\n\"b\" = \"B\"\n\"c\" = \"C\";", 3}, // missing ';'
        {"\"a\" = \"A\";\n\"b\" \"B\";", 2},                  // missing '='
        {"\"a\" = ;", 1},                                     // missing value
        {"\"a\" = \"A\";\n\n\"b\" = \"never closed;\n", 3},   // unterminated string
        {"\"a\" = \"A\";\n/* open\n", 2},                     // unterminated comment
        {"\"a\" = \"A\";\n= \"B\";", 2},                      // value without key
        {"\"a\" = \"\\UD83C\";", 1},                          // lone high surrogate
        {"\"a\" = \"\\UDF19\";", 1},                          // lone low surrogate
        {"\"a\" = \"\\U12G4\";", 1},                          // bad hex
        {"\"a\" = \"A\";\n\"b\" = \"\xC3\x28\";", 2},         // invalid UTF-8
        {"\"a\" = \"\xED\xA0\x80\";", 1},                     // UTF-8-encoded surrogate
        {"\"a\" = \"\xC0\xAF\";", 1},                         // overlong encoding
        {"\"a\" = \"A\"", 1},                                 // ends before ';'
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto error = failure(c.text);
        EXPECT_EQ(error.line, c.line);
        EXPECT_FALSE(error.message.empty());
    }
}

} // namespace
} // namespace tavrilux
