// The run-time's entry: everything is wired in the host layer.
#include "host/startup.h"

int main(int argc, char** argv) { return tama::host::Main(argc, argv); }
