#include <gtest/gtest.h>

#include "harness.h"

namespace {

using namespace std::string_literals;

struct Shown {
  const char *name;
  std::optional<std::string> info; // none: no info.txt at all
  std::string expected;            // what comes before the prompt
};

void PrintTo(const Shown &row, std::ostream *os) {
  *os << row.name;
}

// CR LF pairs that straddle the edge of every read of 4 KiB multiples, and a lone CR
// on such an edge that must stay.
Shown AcrossReads() {
  std::string raw(24 * 4096, 'x');
  std::string expected;
  for (size_t k = 1; k <= 16; k++) {
    raw[k * 4096 - 1] = '\r';
    raw[k * 4096] = '\n';
  }
  raw[20 * 4096 - 1] = '\r';
  for (size_t i = 0; i < raw.size(); i++) {
    if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) {
      expected += raw[i];
    }
  }
  return {"CrLfAcrossReads", raw, expected};
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
        AcrossReads()),
    [](const testing::TestParamInfo<Shown> &info) { return std::string(info.param.name); });

} // namespace
