// Temporary files in progress, and removing them when the process is
// interrupted. Every FNT file is written under a short temporary name beside
// its target and renamed into place; until then the name is registered here,
// so a signal handler can remove it without allocating or locking.
#pragma once

namespace io {

// Removes every temporary file registered now and marks the process
// interrupted: from then on a write that has not yet been renamed into
// place fails ("interrupted") and leaves no temporary file behind, so an
// existing target keeps its old content. Async-signal-safe; call it first
// thing in a SIGINT, SIGTERM, SIGHUP or SIGPIPE handler. Safe to call more than once.
void removeTemporaryFiles();

// The signal given to the first removeTemporaryFiles() call through
// installInterruptCleanup()'s handlers, or 0 while not interrupted.
// Async-signal-safe.
int interruptSignal();

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGPIPE (a reader that
// closed standard output or error; only SIGINT and SIGTERM on Windows) that
// call removeTemporaryFiles() and then:
// - without `onInterrupt`, end the process at once with 128 + the signal
//   (130, 143, 129);
// - with it, call onInterrupt(signal) and return, so the program can notice
//   interruptSignal(), let running conversions fail, print what it has and
//   exit with 128 + interruptSignal(). `onInterrupt` runs inside the signal
//   handler: only async-signal-safe calls (write(2), _exit, storing to a
//   lock-free atomic).
// A second signal while the first is being handled ends the process at
// once, except a repeated SIGPIPE, which is ignored: the stream stays closed.
void installInterruptCleanup(void (*onInterrupt)(int signal) = nullptr);

namespace detail {

// Registration of one temporary file by the writer, in io/SafeWrite.cpp.
// `folder` is an open descriptor of the folder holding `name` (at most
// kMaxTemporaryName bytes); both must stay valid until release. Returns a
// slot number; waits for a free slot when every one is taken.
constexpr int kMaxTemporaryName = 31;
int registerTemporary(int folder, const char *name);
void releaseTemporary(int slot);
// True once removeTemporaryFiles() has run.
bool interrupted();

} // namespace detail

} // namespace io
