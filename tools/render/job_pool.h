#pragma once
// Runs tasks on a number of threads at once while the calling thread keeps the progress bar
// drawn. After an interrupt no further task starts.

#include <cstddef>
#include <functional>

#include "tools/render/progress_bar.h"

namespace render {

// `task` is called once for each index below `count`, on `jobs` threads; it must not throw.
void RunTasks(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& task, ProgressBar& progress);

} // namespace render
