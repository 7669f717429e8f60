// What converting prints: the progress line and each task's lines while a
// batch runs, the summary or the JSON document after it, and the outcome of
// a single conversion.
#pragma once

#include "ConvertTask.h"

#include <mutex>
#include <vector>

namespace cli::convert {

// What the batch prints while it runs: the progress line on a terminal, and
// each task's lines in input order as soon as every task before it is done.
// Safe to call from any thread.
class Reporter
{
public:
    Reporter(std::vector<Task> &tasks, const Options &options, int total);

    void started(const Task &task);
    void finished(size_t index);
    // Everything not yet printed, once no task runs any more.
    void flush();

private:
    void print(const Task &task);
    void drawProgress();
    void eraseProgress();

    std::mutex m_mutex;
    std::vector<Task> &m_tasks;
    const Options &m_options;
    int m_total;
    bool m_progress;
    int m_width;
    int m_started = 0;
    QString m_current;
    std::vector<char> m_done; // per task: its lines may be printed
    size_t m_next = 0;
};

// The summary on standard output, then what did not convert on standard
// error; with --json the whole document instead. `interruptedBy` is the
// signal that stopped the batch, or 0. Returns the exit status.
int printSummary(const std::vector<Task> &tasks, const Options &options, int interruptedBy);

// One input into a named file: the dialog's outcome text; a failure names the
// file and says why. Returns the exit status.
int reportSingle(const Task &task, const Options &options);

} // namespace cli::convert
