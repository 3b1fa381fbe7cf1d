#include <gtest/gtest.h>

#include <map>

#include "platform/profile_store.h"
#include "shell/text_macros.h"
#include "temp_dir.h"

namespace pf = velt::platform;
using velt::TextMacro;
using velt::testing::TempDir;

namespace {

// Serves lines from a fixed list; missing beyond its end.
auto Lines(std::vector<std::string> lines) {
    return [lines = std::move(lines)](int i) -> std::optional<std::string> {
        if (i < 0 || static_cast<std::size_t>(i) >= lines.size()) return std::nullopt;
        return lines[i];
    };
}

TEST(TextMacros, LinesCloseAfterSixtyDigits) {
    EXPECT_EQ(velt::EncodeMacroText("A\n"), std::vector<std::string>{"065010"});

    const std::string twenty(20, 'z');
    auto lines = velt::EncodeMacroText(twenty);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 60u);

    lines = velt::EncodeMacroText(std::string(21, 'a'));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 63u);

    lines = velt::EncodeMacroText(std::string(21, 'a') + "b");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 63u);
    EXPECT_EQ(lines[1], "098");

    lines = velt::EncodeMacroText(std::string(43, 'x'));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "120");

    EXPECT_TRUE(velt::EncodeMacroText("").empty());
    // Bytes above 127 keep their value in the same three digits.
    EXPECT_EQ(velt::EncodeMacroText("\xe9\xff\x80"), std::vector<std::string>{"233255128"});
}

TEST(TextMacros, DecodingSurvivesShortAndDamagedLines) {
    // A line that ends early is left for the next one.
    EXPECT_EQ(velt::DecodeMacroText(3, Lines({"06506", "067068"})), "ACD");
    // Something that is no character code ends its line.
    EXPECT_EQ(velt::DecodeMacroText(4, Lines({"065x66067", "068"})), "AD");
    EXPECT_EQ(velt::DecodeMacroText(4, Lines({"065999066", "067"})), "AC");
    EXPECT_EQ(velt::DecodeMacroText(4, Lines({"-65066", "", "067"})), "C");
    // A length beyond what is stored gives what there is.
    EXPECT_EQ(velt::DecodeMacroText(1000000000, Lines({"065", "066"})), "AB");
    // The length limits what is taken.
    EXPECT_EQ(velt::DecodeMacroText(2, Lines({"065066067"})), "AB");
    EXPECT_EQ(velt::DecodeMacroText(0, Lines({"065"})), "");

    // Only the lines still needed are asked for.
    int asked = 0;
    velt::DecodeMacroText(2, [&](int) -> std::optional<std::string> {
        ++asked;
        return "065066067";
    });
    EXPECT_EQ(asked, 1);
}

class TextMacrosFile : public ::testing::Test {
  protected:
    void SetUp() override { pf::ProfileForgetCache(); }
    void WriteFile(const std::string& content) {
        t.Write("m.ini", content);
        pf::ProfileForgetCache();
    }
    TempDir t;
    std::string file = t / "m.ini";
};

TEST_F(TextMacrosFile, EveryByteComesBack) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    const std::vector<TextMacro> macros = {{'a', all, 17}, {'Z', "x", -3}};
    ASSERT_TRUE(velt::WriteMacros(file, "velt", macros));
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Macro1Length", ""), "256");
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Macro1TextLine12", ""),
              "252253254255");  // 12 full lines of 21, then the rest
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Macro1TextLine13", "none"), "none");

    const std::vector<TextMacro> back = velt::ReadMacros(file, "velt");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].code, 'a');
    EXPECT_EQ(back[0].text, all);
    EXPECT_EQ(back[0].position, 17);
    EXPECT_EQ(back[1].code, 'Z');
    EXPECT_EQ(back[1].text, "x");
    EXPECT_EQ(back[1].position, -3);
}

TEST_F(TextMacrosFile, EmptyMacroIsNotStoredSoItCannotEndTheList) {
    const std::vector<TextMacro> macros = {{'a', "one", 0}, {'b', "", 0}, {'c', "three", 1}};
    ASSERT_TRUE(velt::WriteMacros(file, "velt", macros));
    EXPECT_EQ(pf::ProfileGetString(file, "velt", "Macros", ""), "2");
    const std::vector<TextMacro> back = velt::ReadMacros(file, "velt");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].code, 'c');
    EXPECT_EQ(back[1].text, "three");
}

TEST_F(TextMacrosFile, ReadingEndsAtLengthZeroAndToleratesDamage) {
    WriteFile(
        "[velt]\nMacros=4\n"
        "Macro1Code=a\nMacro1Position=2\nMacro1Length=5\nMacro1TextLine0=104105\n"
        "Macro2Code=b\nMacro2Length=0\nMacro2TextLine0=065\n"
        "Macro3Code=c\nMacro3Length=1\nMacro3TextLine0=066\n");
    std::vector<TextMacro> back = velt::ReadMacros(file, "velt");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].text, "hi");  // a length beyond the stored digits

    WriteFile(
        "[velt]\nMacros=2000000000\n"
        "Macro1Code=\nMacro1Length=1\nMacro1TextLine0=065\n"
        "Macro2Code=q\nMacro2Length=1\nMacro2TextLine0=garbage\nMacro2TextLine1=066\n");
    back = velt::ReadMacros(file, "velt");
    ASSERT_EQ(back.size(), 1u);  // no letter: not callable; the count ends at Macro3
    EXPECT_EQ(back[0].code, 'q');
    EXPECT_EQ(back[0].text, "B");
}

}  // namespace
