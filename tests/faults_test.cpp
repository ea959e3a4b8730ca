// Whatever happens to its console, its input or its children, the launcher ends what it
// started, signals nothing else, and loses no byte of the info text.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <functional>
#include <random>

#include "harness.h"

namespace {

// The info text as Windows text mode reads it, less its NUL bytes.
std::string AsShown(const std::string &raw) {
  std::string shown;
  for (size_t i = 0; i < raw.size() && raw[i] != '\x1a'; i++) {
    bool pair = raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n';
    if (raw[i] != '\0' && !pair) {
      shown += raw[i];
    }
  }
  return shown;
}

// Every byte value, 0x1A once near the end so that most of the text is shown.
std::string RandomBytes() {
  std::mt19937 random(20261211);
  std::string bytes;
  while (bytes.size() < 64 * 1024) {
    auto byte = static_cast<char>(random() % 256);
    if (byte != '\x1a') {
      bytes += byte;
    }
  }
  for (int value = 0; value < 256; value++) {
    bytes[static_cast<size_t>(value) * 200] = static_cast<char>(value == 0x1a ? 'z' : value);
  }
  bytes[60 * 1024] = '\x1a';
  return bytes;
}

struct Fault {
  const char *name;
  std::function<void(Case &)> set;
  std::function<void(const Case &, const Outcome &)> check = nullptr;
};

void PrintTo(const Fault &row, std::ostream *os) {
  *os << row.name;
}

int Pid(const Case &c, const std::string &program) {
  auto record = Record(c, program);
  return record.count("pid") != 0 ? atoi(record["pid"].c_str()) : -1;
}

// The server ended by itself while the launcher waited; its id stayed held (a zombie,
// never reaped by the launcher) until the end of the run.
void ServerHeldUntilTheEnd(const Case &c, const Outcome &o) {
  int server = Pid(c, kServer);
  ASSERT_EQ(o.heldBefore.count(server), 1U) << "the server's id was let go";
  EXPECT_EQ(o.heldBefore.at(server), 'Z');
  ASSERT_EQ(o.reaped.count(server), 1U);
  EXPECT_TRUE(WIFEXITED(o.reaped.at(server)) && WEXITSTATUS(o.reaped.at(server)) == 7);
}

class Faults : public testing::TestWithParam<Fault> {};

TEST_P(Faults, EndWithBothChildrenEndedAndNothingLeft) {
  Case c{ThisTest()};
  c.programs = {kServer, kBrowserIE};
  c.awaited = c.programs;
  c.info = "Informacja\n";
  GetParam().set(c);
  if (c.input != Input::Enter) {
    c.awaited.clear();
  }
  Outcome o = Launch(c);

  ASSERT_TRUE(o.ended) << o.err;
  EXPECT_TRUE(ExitedZero(o)) << "status " << o.status;
  if (c.output == Output::File) {
    EXPECT_EQ(o.out, (c.info && !c.infoIsDirectory ? AsShown(*c.info) : "") + kPrompt);
  }
  EXPECT_EQ(o.reaped.size(), 2U);
  for (auto [pid, status] : o.reaped) {
    bool exiting = !c.exiting.empty() && pid == Pid(c, kServer);
    EXPECT_TRUE(exiting || Killed(status)) << "process " << pid << ": status " << status;
  }
  EXPECT_EQ(o.running, 0);
  if (GetParam().check) {
    GetParam().check(c, o);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Faults,
    testing::Values(Fault{"StdoutClosed", [](Case &c) { c.output = Output::Closed; }},
                    Fault{"StdoutReaderGone", [](Case &c) { c.output = Output::PipeGone; }},
                    Fault{"StdoutFull", [](Case &c) { c.output = Output::Full; }},
                    Fault{"StdinClosed", [](Case &c) { c.input = Input::Closed; }},
                    Fault{"StdinDevNull", [](Case &c) { c.input = Input::DevNull; }},
                    Fault{"StdinMebibyteLineThenEnd",
                          [](Case &c) {
                            c.line = std::string(1 << 20, 'x');
                            c.endAfterLine = true;
                          }},
                    Fault{"ChildEndsByItself", [](Case &c) { c.exiting = {kServer}; },
                          ServerHeldUntilTheEnd},
                    Fault{"ChildEndsByItselfWithSigchldIgnored",
                          [](Case &c) {
                            c.exiting = {kServer};
                            c.sigchldIgnored = true;
                          },
                          ServerHeldUntilTheEnd},
                    Fault{"ExtraInheritableDescriptor", [](Case &c) { c.extraDescriptor = true; },
                          [](const Case &c, const Outcome &) {
                            EXPECT_EQ(Record(c, kServer)["others"], "");
                            EXPECT_EQ(Record(c, kBrowserIE)["others"], "");
                          }},
                    Fault{"InfoIsADirectory", [](Case &c) { c.infoIsDirectory = true; }},
                    Fault{"InfoOfRandomBytes", [](Case &c) { c.info = RandomBytes(); }}),
    [](const testing::TestParamInfo<Fault> &info) { return std::string(info.param.name); });

// A large info file goes through whole, in the memory a tiny one takes.
TEST(Faults, LargeInfoIsExactAndMemoryStaysFlat) {
  std::string large;
  for (int line = 0; large.size() < 40U << 20; line++) {
    large += "Linia " + std::to_string(line) + (line % 3 == 0 ? "\r\n" : "\n");
  }
  long peak[2] = {};
  const std::string infos[2] = {"maly\n", large};
  for (int i = 0; i < 2; i++) {
    Case c{ThisTest() + std::to_string(i)};
    c.info = infos[i];
    c.input = Input::End;
    c.measured = true;
    Outcome o = Launch(c);
    ASSERT_TRUE(o.ended);
    EXPECT_TRUE(o.out == AsShown(infos[i]) + kPrompt)
        << "output of " << infos[i].size() << " bytes";
    peak[i] = o.peakKiB;
  }
  ASSERT_GT(peak[0], 0);
  // Slack for the buffers, the same size either way: the large file alone fills the 64 KiB
  // ones of the info file and of standard output, and the system's own vary by some pages.
  EXPECT_LE(peak[1], peak[0] + 512) << "tiny " << peak[0] << " KiB, large " << peak[1] << " KiB";
}

} // namespace
