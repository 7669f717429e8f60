// Running conversions: one task on the calling thread, or a whole batch on
// several threads that stops starting new ones once interrupted.
#pragma once

#include "ConvertTask.h"

#include <vector>

namespace cli::convert {

// One conversion with its own job, set up as the dialog's Apply sets it;
// safe to run on any thread.
void convertTask(Task &task, const Options &options);

// Every pending task on at most `threadCount` threads, reporting as they go.
// Tasks that an interrupt kept from starting end as not started.
void convertAll(std::vector<Task> &tasks, const Options &options, int threadCount);

// Stops a batch on Ctrl-C, SIGTERM, SIGHUP and a closed output stream
// (SIGPIPE): running conversions leave no temporary file, and no new one
// starts.
void stopOnInterrupt();
// The signal that stopped the batch, or 0.
int stopSignal();

// The most threads worth running: more than this many per core only cost
// memory and start-up.
constexpr int kThreadsPerCore = 2;

} // namespace cli::convert
