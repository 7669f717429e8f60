// The registry of temporary files in progress: fixed slots, lock-free, so a
// signal handler can remove every file without allocating or locking.
#include "io/TemporaryFiles.h"

#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#else
#include <cstdlib>
#endif

namespace io {

namespace {

// More than the threads that ever write at once; a writer waits for a slot
// rather than write a file nobody could remove.
constexpr int kSlots = 256;

// A slot's life: Free -> Claimed (the writer fills it) -> Active -> Free when
// the writer is done. The handler moves Active -> Sweeping -> Swept, so the
// writer never reuses a slot the handler is reading.
enum SlotState : int { Free, Claimed, Active, Sweeping, Swept };

struct Slot
{
    std::atomic<int> state{Free};
    int folder = -1;
    char name[detail::kMaxTemporaryName + 1] = {};
};

Slot slots[kSlots];
std::atomic<bool> interruptedFlag{false};
std::atomic<int> interruptedBy{0};
void (*interruptCallback)(int) = nullptr;

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

void exitAt(int signal)
{
#ifdef Q_OS_WIN
    std::_Exit(128 + signal);
#else
    ::_exit(128 + signal);
#endif
}

extern "C" void handleInterrupt(int signal)
{
    int none = 0;
    const bool first = interruptedBy.compare_exchange_strong(none, signal);
#ifdef SIGPIPE
    // The stream stays closed: every later write to it raises SIGPIPE again
    // (the summary, other threads' lines). Only the first one stops the
    // program; the writes that follow simply fail.
    if (signal == SIGPIPE && !first)
        return;
#endif
    removeTemporaryFiles();
    if (!first || !interruptCallback)
        exitAt(signal);
    interruptCallback(signal);
}

} // namespace

void removeTemporaryFiles()
{
    const int savedErrno = errno;
    interruptedFlag.store(true);
    for (Slot &slot : slots) {
        int expected = Active;
        if (!slot.state.compare_exchange_strong(expected, Sweeping))
            continue;
#ifndef Q_OS_WIN
        ::unlinkat(slot.folder, slot.name, 0);
#endif
        slot.state.store(Swept);
    }
    errno = savedErrno;
}

int interruptSignal()
{
    return interruptedBy.load();
}

void installInterruptCleanup(void (*onInterrupt)(int signal))
{
    interruptCallback = onInterrupt;
#ifdef Q_OS_WIN
    std::signal(SIGINT, handleInterrupt);
    std::signal(SIGTERM, handleInterrupt);
#else
    struct sigaction action = {};
    action.sa_handler = handleInterrupt;
    // The program goes on after the callback: reads and writes elsewhere
    // should not see EINTR because of it.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        ::sigaction(signal, &action, nullptr);
#endif
}

namespace detail {

int registerTemporary(int folder, const char *name)
{
    for (;;) {
        for (int i = 0; i < kSlots; ++i) {
            int expected = Free;
            if (!slots[i].state.compare_exchange_strong(expected, Claimed))
                continue;
            slots[i].folder = folder;
            std::strncpy(slots[i].name, name, kMaxTemporaryName);
            slots[i].name[kMaxTemporaryName] = '\0';
            slots[i].state.store(Active);
            return i;
        }
        std::this_thread::yield();
    }
}

void releaseTemporary(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return;
    for (;;) {
        int expected = Active;
        if (slots[slot].state.compare_exchange_strong(expected, Free))
            return;
        if (expected == Swept) {
            slots[slot].state.store(Free);
            return;
        }
        // The handler is removing this file on another thread right now.
        std::this_thread::yield();
    }
}

bool interrupted()
{
    return interruptedFlag.load();
}

} // namespace detail

} // namespace io
