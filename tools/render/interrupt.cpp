#include "tools/render/interrupt.h"

#include <csignal>

#include "tools/render/render_error.h"

namespace render {
namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

} // namespace

void CatchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

bool Interrupted() { return interrupted != 0; }

void StopIfInterrupted()
{
    if (interrupted) throw RenderError("interrupted");
}

} // namespace render
