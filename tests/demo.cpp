// The launcher's main job on a demo drive: the launcher in a private root laid out as
// an installation, stand-ins as the server and the browsers, a sample info.txt. After
// Enter it shows what the stand-ins received and how they ended.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "harness.h"

int main() {
  Case c{"demo"};
  c.programs = {kServer, kBrowserPlus, kBrowserIE};
  std::ifstream sample(DEMO_INFO, std::ios::binary);
  std::ostringstream info;
  info << sample.rdbuf();
  c.info = info.str();
  c.interactive = isatty(0) != 0;
  if (!c.interactive) {
    // Input that is not typed comes at once: the launcher gets it only when the server and
    // the browser have recorded what they were given.
    std::ostringstream input;
    input << std::cin.rdbuf();
    c.line = input.str();
    c.awaited = {kServer, kBrowserIE};
  }
  Outcome o = Launch(c);
  if (o.status == -1) {
    printf("--- no private root could be made: run as root, where namespaces may be made\n");
    return 1;
  }
  if (!c.interactive) {
    fwrite(o.out.data(), 1, o.out.size(), stdout);
    fwrite(o.err.data(), 1, o.err.size(), stderr);
  }

  printf("\n--- the launcher ended with %s %d\n", WIFEXITED(o.status) ? "exit code" : "signal",
         WIFEXITED(o.status) ? WEXITSTATUS(o.status) : WTERMSIG(o.status));
  for (const char *program : {kServer, kBrowserPlus, kBrowserIE}) {
    auto record = Record(c, program);
    if (record.empty()) {
      printf("--- %s: not started\n", program);
      continue;
    }
    int pid = atoi(record["pid"].c_str());
    auto reaped = o.reaped.find(pid);
    printf("--- %s: started, %s\n", program,
           reaped == o.reaped.end() ? "STILL RUNNING"
           : Killed(reaped->second) ? "ended by the launcher"
                                    : "ended by itself");
    for (const std::string &arg : Arguments(record)) {
      printf("      argument: %s\n", arg.c_str());
    }
    printf("      standard streams: %s, %s, %s; own session: %s\n", record["fd0"].c_str(),
           record["fd1"].c_str(), record["fd2"].c_str(), record["leader"].c_str());
  }
  printf("--- processes left running: %d\n", o.running);
  return o.running == 0 ? 0 : 1;
}
