#include <gtest/gtest.h>

#include "harness.h"

namespace {

using namespace std::string_literals;

const std::vector<std::string> kServerArgs = {"/Apache/Apache.exe",         "-w", "-X",        "-f",
                                              "\\Apache\\conf\\httpd.conf", "-d", "\\Apache\\"};
const std::vector<std::string> kBrowserArgs = {kBrowserIE, "http://localhost/cgi-bin/dorvex.exe"};

// Each started child was ended by the launcher, and nothing is left running.
void ExpectAllEnded(const Outcome &o, size_t started) {
  EXPECT_EQ(o.reaped.size(), started);
  for (auto [pid, status] : o.reaped) {
    EXPECT_TRUE(Killed(status)) << "process " << pid << " ended with status " << status;
  }
  EXPECT_EQ(o.running, 0);
}

void ExpectExitedZero(const Outcome &o) {
  ASSERT_TRUE(o.ended) << "the launcher did not end: " << o.err;
  EXPECT_TRUE(ExitedZero(o)) << "status " << o.status;
}

TEST(Launch, StartsServerAndBrowserDetachedAndEndsBothAfterEnter) {
  Case c{ThisTest()};
  c.cwd = "/app";
  c.info = "Witaj\n";
  c.programs = {kServer, kBrowserPlus, kBrowserIE};
  c.programs.insert(c.programs.end(), kPlanted.begin(), kPlanted.end());
  c.awaited = {kServer, kBrowserIE};
  Outcome o = Launch(c);

  ExpectExitedZero(o);
  EXPECT_EQ(o.out, "Witaj\n" + kPrompt);
  auto server = Record(c, kServer);
  auto browser = Record(c, kBrowserIE);
  EXPECT_EQ(Arguments(server), kServerArgs);
  EXPECT_EQ(Arguments(browser), kBrowserArgs);
  for (auto *child : {&server, &browser}) {
    auto &r = *child;
    EXPECT_EQ(r["cwd"], "/app");
    EXPECT_EQ(r["leader"], "yes");
    EXPECT_EQ(r["fd0"], "/dev/null");
    EXPECT_EQ(r["fd1"], "/dev/null");
    EXPECT_EQ(r["fd2"], "/dev/null");
    EXPECT_EQ(r["others"], "");
    ASSERT_EQ(o.reaped.count(atoi(r["pid"].c_str())), 1U);
  }
  // This system is neither Windows 9x nor NT: the browser of the newer Windows.
  EXPECT_TRUE(Record(c, kBrowserPlus).empty());
  for (const std::string &planted : kPlanted) {
    EXPECT_TRUE(Record(c, planted).empty()) << planted << " was started";
  }
  ExpectAllEnded(o, 2);
}

struct Ending {
  const char *name;
  Input input;
  std::string line;
  std::string partial = "";
};

void PrintTo(const Ending &e, std::ostream *os) {
  *os << e.name;
}

class Wait : public testing::TestWithParam<Ending> {};

TEST_P(Wait, EndsBothChildrenWhateverEndsTheWait) {
  Case c{ThisTest()};
  c.programs = {kServer, kBrowserIE};
  c.input = GetParam().input;
  c.line = GetParam().line;
  c.partial = GetParam().partial;
  if (c.input == Input::Enter) {
    c.awaited = c.programs;
  }
  Outcome o = Launch(c);
  ExpectExitedZero(o);
  if (c.input == Input::Enter) {
    // Both still ran while the launcher waited for the end of the line.
    EXPECT_EQ(o.heldBefore.size(), 2U);
    for (auto [pid, state] : o.heldBefore) {
      EXPECT_NE(state, 'Z') << "process " << pid << " ended before the line did";
    }
  }
  EXPECT_EQ(o.out, kPrompt);
  ExpectAllEnded(o, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, Wait,
    testing::Values(Ending{"BareEnter", Input::Enter, "\n"},
                    Ending{"LongerThanTheBuffer", Input::Enter, std::string(3000, 'x') + "\n"},
                    Ending{"TenCharacters", Input::Enter, "0123456789\n"},
                    Ending{"LineInTwoParts", Input::Enter, "\n", "0123456789abcdef"},
                    Ending{"NulThenLineFeed", Input::Enter, "\0\n"s},
                    Ending{"NulAmidTheLine", Input::Enter, "abc\0\n"s},
                    Ending{"InputAtItsEnd", Input::End, ""}),
    [](const testing::TestParamInfo<Ending> &info) { return std::string(info.param.name); });

TEST(Launch, ShowsTheInfoAndThePromptBeforeReadingTheLine) {
  Case c{ThisTest()};
  c.info = "Witaj\nna dysku\n";
  Outcome o = Launch(c);
  ExpectExitedZero(o);
  EXPECT_EQ(o.outBefore, *c.info + kPrompt);
  EXPECT_EQ(o.out, *c.info + kPrompt);
}

TEST(Launch, EndsTheBrowserFirstThenTheServer) {
  Case c{ThisTest()};
  c.programs = {kServer, kBrowserIE};
  c.awaited = c.programs;
  c.traced = true;
  Outcome o = Launch(c);
  ExpectExitedZero(o);
  int server = atoi(Record(c, kServer)["pid"].c_str());
  int browser = atoi(Record(c, kBrowserIE)["pid"].c_str());
  std::vector<std::pair<int, std::string>> expected = {{browser, "SIGKILL"}, {server, "SIGKILL"}};
  EXPECT_EQ(o.kills, expected);
  ExpectAllEnded(o, 2);
}

TEST(Launch, ServerMissingStillStartsTheBrowserAndShowsThePrompt) {
  Case c{ThisTest()};
  c.programs = {kBrowserIE};
  c.awaited = c.programs;
  Outcome o = Launch(c);
  ExpectExitedZero(o);
  EXPECT_EQ(o.out, kPrompt);
  EXPECT_EQ(Arguments(Record(c, kBrowserIE)), kBrowserArgs);
  EXPECT_EQ(o.err, "");
  ExpectAllEnded(o, 1);
}

TEST(Launch, NothingInstalledEndsQuietlyWithCodeZero) {
  Case c{ThisTest()};
  Outcome o = Launch(c);
  ExpectExitedZero(o);
  EXPECT_EQ(o.out, kPrompt);
  EXPECT_EQ(o.err, "");
  ExpectAllEnded(o, 0);
}

} // namespace
