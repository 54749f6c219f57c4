#include "tools/render/interrupt.h"

#include <atomic>
#include <csignal>

#include "tools/render/render_error.h"

namespace render {
namespace {

// Set by the handler and read by every job's thread: a lock-free atomic is safe in both places.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) { interrupted.store(true, std::memory_order_relaxed); }

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

bool Interrupted() { return interrupted.load(std::memory_order_relaxed); }

void StopIfInterrupted()
{
    if (Interrupted()) throw InterruptedError();
}

} // namespace render
