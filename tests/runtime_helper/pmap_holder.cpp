// A second process for the port-map tests: registers program 1, version 2 at the port on
// its command line (with the shared registry and mutex folder of its environment),
// writes the result, and then, on a line of its standard input, "unset" removes the
// registration and ends with 0, "die" ends at once with 3, holding it.
//   pmap_holder <port>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/system/portmap.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::printf("%d\n", vek::nt_reg_pmap_set(1, 2, 0, std::atoi(argv[1])));
  std::fflush(stdout);
  char line[32] = {};
  if (std::fgets(line, sizeof line, stdin) == nullptr || std::strncmp(line, "die", 3) == 0)
    _exit(3);
  vek::nt_reg_pmap_unset(1, 2);
  return 0;
}
