#pragma once
// Ctrl-C and termination requests: noted by a signal handler and acted on by the work loops,
// so that temporary files are removed and a started X server is stopped on the way out.

namespace render {

void CatchInterrupts();
bool Interrupted();
// Throws a RenderError when an interrupt has arrived.
void StopIfInterrupted();

} // namespace render
