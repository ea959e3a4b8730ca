#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "harness.h"

namespace {

std::string Golden() {
  std::ifstream in(NOTICE_GOLDEN, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Notice, IsTheFixedTextAndTheLinesHaveTheirLengths) {
  Case c{ThisTest()};
  c.args = {"-v"};
  c.input = Input::Open;
  Outcome o = Launch(c);
  ASSERT_TRUE(o.ended);
  EXPECT_EQ(o.out, Golden());

  std::vector<std::string> lines;
  std::istringstream in(o.out);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  ASSERT_EQ(lines.size(), 23U);
  EXPECT_EQ(o.out.back(), '\n');
  const std::map<size_t, size_t> lengths = {{4, 62},  {7, 64},  {8, 65},  {9, 59},  {10, 64},
                                            {11, 64}, {12, 64}, {13, 64}, {14, 67}, {15, 66},
                                            {16, 66}, {17, 66}, {18, 12}};
  for (auto [number, length] : lengths) {
    EXPECT_EQ(lines[number - 1].size(), length) << "line " << number;
  }
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[4], "reserved.");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[18], "   ," + std::string(39, ' ') + ",");
  EXPECT_EQ(lines[20], std::string(13, ' ') + ",");
}

struct Switch {
  const char *name;
  std::vector<std::string> args;
  bool notice;
};

void PrintTo(const Switch &row, std::ostream *os) {
  *os << row.name;
}

class CommandLine : public testing::TestWithParam<Switch> {};

// The notice ends the run at once: nothing started, and no input read (the input is
// held open, so a run that waited would not end).
TEST_P(CommandLine, OnlyMinusVFirstGivesTheNotice) {
  Case c{ThisTest()};
  c.args = GetParam().args;
  c.programs = {kServer, kBrowserIE};
  if (GetParam().notice) {
    c.input = Input::Open;
  } else {
    c.awaited = c.programs;
  }
  Outcome o = Launch(c);
  ASSERT_TRUE(o.ended) << "the launcher waited";
  EXPECT_TRUE(ExitedZero(o)) << "status " << o.status;
  if (GetParam().notice) {
    EXPECT_EQ(o.out, Golden());
    EXPECT_TRUE(o.reaped.empty());
    EXPECT_TRUE(Record(c, kServer).empty());
    EXPECT_TRUE(Record(c, kBrowserIE).empty());
  } else {
    EXPECT_EQ(o.out, kPrompt);
    EXPECT_FALSE(Record(c, kServer).empty());
    EXPECT_FALSE(Record(c, kBrowserIE).empty());
    EXPECT_EQ(o.reaped.size(), 2U);
  }
  EXPECT_EQ(o.running, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, CommandLine,
    testing::Values(Switch{"MinusV", {"-v"}, true}, Switch{"MinusVThenMore", {"-v", "x"}, true},
                    Switch{"CapitalV", {"-V"}, false}, Switch{"Slash", {"/v"}, false},
                    Switch{"TwoHyphens", {"--v"}, false}, Switch{"MoreLetters", {"-vv"}, false},
                    Switch{"MinusVSecond", {"x", "-v"}, false}, Switch{"NoArgument", {}, false}),
    [](const testing::TestParamInfo<Switch> &info) { return std::string(info.param.name); });

} // namespace
