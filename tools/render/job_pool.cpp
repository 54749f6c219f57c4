#include "tools/render/job_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/render/interrupt.h"

namespace render {

void RunTasks(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& task, ProgressBar& progress)
{
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    unsigned running = 0;
    const unsigned threads = static_cast<unsigned>(std::clamp<std::size_t>(count, 1, std::max(1u, jobs)));
    std::vector<std::thread> workers;
    running = threads;
    for (unsigned t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (std::size_t i; !Interrupted() && (i = next.fetch_add(1)) < count;)
                task(i);
            std::lock_guard<std::mutex> lock(mutex);
            if (--running == 0) finished.notify_one();
        });
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (!finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return running == 0; }))
            progress.Draw();
    }
    for (std::thread& worker : workers)
        worker.join();
    progress.Draw();
}

} // namespace render
