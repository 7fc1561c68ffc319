#include <csignal>

#include "platform/process.h"

void PrepareProcess() { std::signal(SIGXFSZ, SIG_IGN); }
