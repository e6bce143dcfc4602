#include "records/json_writer.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

std::string StringJson(const std::string& text) {
    JsonWriter json;
    json.String(text.data(), text.size());
    return json.Written().Data();
}

std::string FloatJson(float value) {
    JsonWriter json;
    json.Float(value);
    return json.Written().Data();
}

TEST(Text, GrowsKeepsItsBytesAndAppendsItself) {
    Text text("ab");
    text.Append(std::string(100, 'x').c_str());
    text.Append(text);
    EXPECT_EQ(text.Size(), 204u);
    EXPECT_EQ(std::string(text.Data()),
              "ab" + std::string(100, 'x') + "ab" + std::string(100, 'x'));
    Text copy = text;
    text.Clear();
    EXPECT_STREQ(text.Data(), "");
    EXPECT_EQ(copy.Size(), 204u);
    EXPECT_EQ(Text(std::string("a\0b", 3).c_str(), 3).Size(), 3u);
    EXPECT_TRUE(Text("same") == Text("same"));
    EXPECT_TRUE(Text("same") != Text("sam"));
}

TEST(JsonWriter, CommasSeparateMembersAndItemsAtEveryDepth) {
    JsonWriter json;
    json.BeginObject();
    json.Key("a");
    json.Integer(-3);
    json.Key("b");
    json.BeginArray();
    json.Bool(true);
    json.BeginObject();
    json.EndObject();
    json.Null();
    json.EndArray();
    json.Key("c");
    json.BeginArray();
    json.EndArray();
    json.EndObject();
    EXPECT_EQ(std::string(json.Written().Data()), R"({"a":-3,"b":[true,{},null],"c":[]})");
}

TEST(JsonWriter, QuotesBackslashesAndControlCharactersAreEscaped) {
    EXPECT_EQ(StringJson("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(StringJson("line\nnext\ttab\x7f"), R"("line\u000anext\u0009tab\u007f")");
    EXPECT_EQ(StringJson(std::string("nul\0end", 7)), R"("nul\u0000end")");
}

TEST(JsonWriter, ValidUtf8PassesAndStrayBytesBecomeTheirLatin1Characters) {
    EXPECT_EQ(StringJson("Jiří Dvořák €"), "\"Jiří Dvořák €\"");
    // A Windows-1250 "ř" alone, a cut sequence, an overlong slash and a surrogate.
    EXPECT_EQ(StringJson("\xF8"), R"("\u00f8")");
    EXPECT_EQ(StringJson("\xC5"), R"("\u00c5")");
    EXPECT_EQ(StringJson("\xC0\xAF"), R"("\u00c0\u00af")");
    EXPECT_EQ(StringJson("\xED\xA0\x80"), R"("\u00ed\u00a0\u0080")");
}

TEST(JsonWriter, FloatsAreTheShortestTextThatReadsBackExactly) {
    EXPECT_EQ(FloatJson(-59.16f), "-59.16");
    EXPECT_EQ(FloatJson(0.1f), "0.1");
    EXPECT_EQ(FloatJson(25.0f), "25");
    EXPECT_EQ(FloatJson(0.0f), "0");
    EXPECT_EQ(FloatJson(90.0f), "90");
    EXPECT_EQ(FloatJson(110.0f), "110");
    EXPECT_EQ(FloatJson(16777216.0f), "16777216");
    EXPECT_EQ(FloatJson(1.0f / 3.0f), "0.33333334");
    EXPECT_EQ(FloatJson(3e-7f), "3e-07");
    EXPECT_EQ(FloatJson(std::numeric_limits<float>::quiet_NaN()), "null");
    EXPECT_EQ(FloatJson(-std::numeric_limits<float>::infinity()), "null");
}

TEST(JsonWriter, FixedDecimalsRoundAndNonFiniteIsNull) {
    JsonWriter json;
    json.BeginArray();
    json.Fixed(88.4127, 1);
    json.Fixed(7.0, 2);
    json.Fixed(std::numeric_limits<double>::infinity(), 1);
    json.EndArray();
    EXPECT_EQ(std::string(json.Written().Data()), "[88.4,7.00,null]");
}

}  // namespace
