// The parsers of what users type and write, on text made to break them: padding wider than any
// buffer, lines and names far longer than usual, numbers beyond a double, nesting of any depth.

#include <gtest/gtest.h>

#include "cli/controls/preset_file.h"
#include "cli/report/cli_error.h"
#include "cli/sequence/frame_pattern.h"

namespace cli {
namespace {

// The CliError that running f throws (failing the test when it throws none).
template <class F>
CliError ErrorOf(F&& f) {
  try {
    f();
  } catch (const CliError& error) {
    return error;
  }
  ADD_FAILURE() << "no CliError";
  return CliError("", "none", 0);
}

TEST(FramePatternWidths, AnyPaddingThatFitsIsHonouredAndTheRestRefused) {
  struct Case {
    std::string pattern;
    long frame;
    std::string expected;
  } cases[] = {
      {"o.%040d.exr", 3, "o." + std::string(39, '0') + "3.exr"},
      {"o.@@@@.exr", 7, "o.0007.exr"},
      {"o.@.exr", 12, "o.12.exr"},
      {"o.#.exr", 5, "o.5.exr"},
      {"100%.%d.png", 9, "100%.9.png"},  // a lone % is part of the name
      {"o." + std::string(240, '#') + ".exr", 1, "o." + std::string(239, '0') + "1.exr"},
  };
  for (const Case& c : cases) {
    const auto pattern = FramePattern::Find(c.pattern);
    ASSERT_TRUE(pattern) << c.pattern;
    EXPECT_EQ(pattern->FramePath(c.frame).string(), c.expected);
    EXPECT_EQ(pattern->FrameOf(c.expected), c.frame);
    EXPECT_NE(pattern->FramePath(c.frame + 1), pattern->FramePath(c.frame));
  }
  for (const std::string& wide : {std::string("o.%99999999999d.exr"), std::string("o.%0252d.exr"),
                                  std::string(100000, '#'), "o." + std::string(100000, '@')}) {
    const CliError error = ErrorOf([&] { FramePattern::Find(wide); });
    EXPECT_EQ(error.exit_status(), kExitUsage);
    EXPECT_NE(std::string(error.what()).find("too wide"), std::string::npos) << error.what();
    EXPECT_LT(std::string(error.what()).size(), 400u) << "the pattern is echoed whole";
  }
  EXPECT_THROW(FramePattern::Find("o.@@.%04d.exr"), CliError);
}

TEST(FramePatternWidths, FrameOfTakesOnlyTheNamesThePatternGives) {
  const auto pattern = FramePattern::Find("dir/s.####.exr");
  ASSERT_TRUE(pattern);
  EXPECT_EQ(pattern->FrameOf("s.0012.exr"), 12);
  EXPECT_EQ(pattern->FrameOf("s.12345.exr"), 12345);  // wider numbers are not cut
  EXPECT_EQ(pattern->FrameOf("s.-012.exr"), -12);
  for (const char* other : {"s.12.exr", "s.00012.exr", "s.0012.exr.bak", "s.00a2.exr", "s..exr",
                            "s.0000000000001.exr"}) {
    EXPECT_FALSE(pattern->FrameOf(other)) << other;
  }
}

TEST(FrameList, RangesStepsAndLists) {
  const FrameRange stepped = ParseFrameRange("1001-1100x2");
  EXPECT_EQ(stepped.step, 2);
  EXPECT_EQ(stepped.count(), 50);
  EXPECT_EQ(ParseFrameRange("1-10x3").count(), 4);  // 1, 4, 7, 10
  EXPECT_EQ(ParseFrameRange("-999999999-999999999").count(), 1999999999);
  const std::vector<FrameRange> list = ParseFrameList("1001,1005,1010-1020");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].count(), 11);
  for (const char* bad :
       {"1-10x0", "1-10x", "1,,2", "1,", "1-10x-2", "1234567890", "1-2x3x4", "1 - 2"}) {
    EXPECT_THROW(ParseFrameList(bad), CliError) << bad;
  }
}

TEST(PresetText, LongLinesAndDeepNestingAreReadWithoutRecursion) {
  const std::string long_value(20000, 'v');
  const auto toml = ParsePreset("tint = \"" + long_value + "\"\n# " + std::string(40000, 'c') +
                                    "\nradius = 3 # " + std::string(40000, 'c') + "\n",
                                "a.toml");
  EXPECT_EQ(toml.at("tint"), long_value);
  EXPECT_EQ(toml.at("radius"), "3");
  EXPECT_THROW(ParsePreset(std::string(100000, '['), "a.json"), CliError);
  EXPECT_THROW(ParsePreset("{\"radius\": " + std::string(100000, '[') + "}", "a.json"), CliError);
  EXPECT_THROW(ParsePreset("radius = " + std::string(100000, '"'), "a.toml"), CliError);
}

TEST(PresetText, NumbersKeepTheirTextAndOverflowNamesTheKey) {
  const auto settings =
      ParsePreset(R"({"radius": 99999999999999999999, "intensity": 1.25e0})", "a.json");
  EXPECT_EQ(settings.at("radius"), "99999999999999999999");
  EXPECT_EQ(settings.at("intensity"), "1.25e0");
  const CliError error = ErrorOf([] { ParsePreset(R"({"radius": 1e309})", "look.json"); });
  EXPECT_EQ(error.exit_status(), kExitUsage);
  EXPECT_STREQ(error.what(), "look.json: 'radius': 1e309 is outside the range of numbers");
}

// A quoted TOML string means what TOML says: every escape it defines decoded, every other
// refused in one line naming the line, never read as the letter after the backslash.
TEST(PresetText, TomlEscapesAreDecodedOrRefusedNeverMisread) {
  const struct {
    const char* line;   // the value's line as written in the file
    const char* value;  // what it reads as, or null when refused
    const char* words;  // in the refusal
  } cases[] = {
      {R"(name = "a\tb")", "a\tb", nullptr},
      {R"(name = "\b\t\n\f\r")", "\b\t\n\f\r", nullptr},
      {R"(name = "say \"hi\"")", "say \"hi\"", nullptr},
      {R"(name = "C:\\x\\")", "C:\\x\\", nullptr},
      {R"(name = "\u0041\u00e9\u20AC")", "A\xC3\xA9\xE2\x82\xAC", nullptr},
      {R"(name = "\U0001F600\U0000007a")", "\xF0\x9F\x98\x80z", nullptr},
      {R"(name = "\uD7FF\uE000\U0010FFFF")", "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", nullptr},
      {R"("tab\there" = 1)", nullptr, nullptr},  // a quoted key is decoded too: see below
      {R"(name = 'a\tb\u0041')", "a\\tb\\u0041", nullptr},  // literal: as it stands
      {R"(name = "a\qb")", nullptr, "line 1: invalid escape \\q (TOML's are"},
      {R"(name = "a\ b")", nullptr, "invalid escape \\ "},
      {"name = \"a\\\xC3\xA9\"", nullptr, "invalid escape \\xC3"},
      {R"(name = "\x41")", nullptr, "invalid escape \\x"},
      {R"(name = "\u004")", nullptr, "invalid escape '\\u004\"' (\\u takes exactly 4 hexadecimal"},
      {R"(name = "\u00G1")", nullptr, "'\\u00G1' (\\u takes exactly 4"},
      {R"(name = "\U0041")", nullptr, "(\\U takes exactly 8 hexadecimal digits)"},
      {R"(name = "\uD800")", nullptr, "invalid escape \\uD800 (not a Unicode scalar value)"},
      {R"(name = "\uDFFF")", nullptr, "not a Unicode scalar value"},
      {R"(name = "\U00110000")", nullptr, "invalid escape \\U00110000 (not a Unicode scalar"},
      {R"(name = "\UFFFFFFFF")", nullptr, "not a Unicode scalar value"},
      {R"(name = "\u0000")", nullptr, "escape \\u0000 is a NUL character"},
      {R"("k\e" = 1)", nullptr, "invalid escape \\e"},
      {R"(name = "ends in \")", nullptr, "expected name = value"},  // unterminated
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string text = std::string(c.line) + "\n";
    if (c.value) {
      EXPECT_EQ(ParsePreset(text, "a.toml").at("name"), c.value);
    } else if (!c.words) {
      EXPECT_EQ(ParsePreset(text, "a.toml").count("tab\there"), 1u);
    } else {
      const CliError error = ErrorOf([&] { ParsePreset(text, "look.toml"); });
      EXPECT_EQ(error.exit_status(), kExitUsage);
      const std::string what = error.what();
      EXPECT_EQ(what.rfind("look.toml: line 1: ", 0), 0u) << what;
      EXPECT_NE(what.find(c.words), std::string::npos) << what;
      EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    }
  }
}

TEST(PresetText, AFolderOrALoopOfLinksIsNamedForWhatItIs) {
  const auto folder = std::filesystem::temp_directory_path() / "velmora-preset-cases";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "dir.toml");
  std::filesystem::create_symlink("b.toml", folder / "a.toml");
  std::filesystem::create_symlink("a.toml", folder / "b.toml");
  for (const auto& [name, words] : std::vector<std::pair<std::string, std::string>>{
           {"dir.toml", "is a folder"},
           {"a.toml", "cannot read: Too many levels of symbolic links"},
           {"none.toml", "no such file"}}) {
    const CliError error = ErrorOf([&] { ReadPresetFile(folder / name); });
    EXPECT_EQ(error.exit_status(), kExitUsage);
    EXPECT_NE(std::string(error.what()).find(words), std::string::npos) << error.what();
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace cli
