#include "host/startup.h"

#include <cstdio>

namespace tama::host {

int Main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  return 0;
}

}  // namespace tama::host
