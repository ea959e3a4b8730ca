#include <gtest/gtest.h>

#include "harness.h"

namespace {

using namespace std::string_literals;

struct Shown {
  std::string name;
  std::optional<std::string> info; // none: no info.txt at all
  std::string expected;            // what comes before the prompt
};

void PrintTo(const Shown &row, std::ostream *os) {
  *os << row.name;
}

// Text of "x", a lone CR and a CR LF pair, over and over, shifted by 0 to 3 bytes: whatever
// the size of the reads, in one of the four files every read ends between a CR and its LF,
// and in another on a lone CR.
Shown AcrossReads(size_t shift) {
  std::string raw(shift, 'y');
  std::string expected = raw;
  while (raw.size() < 300 * 1024) {
    raw += "x\r\r\n";
    expected += "x\r\n";
  }
  return {"CrLfAcrossReadsShiftedBy" + std::to_string(shift), raw, expected};
}

class InfoScreen : public testing::TestWithParam<Shown> {};

TEST_P(InfoScreen, ShowsTheTextAsReadThenThePrompt) {
  Case c{ThisTest()};
  c.info = GetParam().info;
  c.input = Input::End;
  Outcome o = Launch(c);
  ASSERT_TRUE(o.ended);
  EXPECT_TRUE(ExitedZero(o)) << "status " << o.status;
  EXPECT_EQ(o.out, GetParam().expected + kPrompt);
}

const std::string k98 = [] {
  std::string s;
  for (int i = 0; i < 98; i++) {
    s += static_cast<char>('a' + i % 26);
  }
  return s;
}();

INSTANTIATE_TEST_SUITE_P(
    Files, InfoScreen,
    testing::Values(
        Shown{"NoFile", std::nullopt, ""}, Shown{"Empty", "", ""},
        Shown{"LastLineWithoutBreak", "Linia pierwsza\nLinia ostatnia",
              "Linia pierwsza\nLinia ostatnia"},
        Shown{"LineOfSevenHundred", std::string(700, 'w') + "\n", std::string(700, 'w') + "\n"},
        Shown{"NinetyEightShownOnceAndWhole", k98, k98},
        Shown{"NinetyNineShownWhole", k98 + "!", k98 + "!"},
        Shown{"NulBytesDropped", "ab\0cd\0\0ef\n"s, "abcdef\n"},
        Shown{"NulBytesAmidALongTextDropped", k98.substr(0, 97) + "\0"s + k98 + "\0"s + "z",
              k98.substr(0, 97) + k98 + "z"},
        Shown{"CtrlZEndsTheText", "przed\x1a po\n", "przed"},
        Shown{"CrLfReadAsLf", "jeden\r\ndwa\r\n", "jeden\ndwa\n"},
        Shown{"LoneCrStays", "a\rb\r\r\nc\r", "a\rb\r\nc\r"},
        Shown{"BytesPassUnconverted", "Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1\n",
              "Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1\n"},
        AcrossReads(0), AcrossReads(1), AcrossReads(2), AcrossReads(3)),
    [](const testing::TestParamInfo<Shown> &info) { return std::string(info.param.name); });

} // namespace
