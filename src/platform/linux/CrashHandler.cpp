#include "platform/linux/CrashHandler.h"

#include "core/services/CrashRecord.h"
#include "platform/linux/PrivateFolder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tavrilux::linux_platform {

namespace {

constexpr std::array<int, 7> kFatalSignals = {SIGSEGV, SIGBUS,  SIGILL, SIGFPE,
                                              SIGABRT, SIGTRAP, SIGSYS};
constexpr int kMaxFrames = 64;

// Everything the handler reads, prepared before any signal can arrive.
char gFolder[PATH_MAX];
char gVersion[128];
std::array<struct sigaction, kFatalSignals.size()> gPrevious{};
bool gInstalled = false;
std::atomic<pid_t> gHandlingThread{0};
unsigned gRecordTimeLimit = 10;
volatile std::sig_atomic_t gCrashSignal = 0;
alignas(16) char gAltStack[64 * 1024];

// Async-signal-safe output into a fixed buffer, flushed with write(2).
class RecordWriter {
public:
    explicit RecordWriter(int fd) : fd_(fd) {}
    ~RecordWriter() { flush(); }
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void text(const char* s) {
        while (*s != '\0') {
            put(*s++);
        }
    }
    void decimal(long long value) {
        char digits[24];
        int n = 0;
        unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                                 : static_cast<unsigned long long>(value);
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) {
            put('-');
        }
        while (n > 0) {
            put(digits[--n]);
        }
    }
    void hex(unsigned long long value) {
        text("0x");
        char digits[16];
        int n = 0;
        do {
            digits[n++] = "0123456789abcdef"[value & 0xF];
            value >>= 4;
        } while (value != 0);
        while (n > 0) {
            put(digits[--n]);
        }
    }
    void flush() {
        const char* p = buffer_;
        std::size_t left = used_;
        while (left > 0) {
            const ssize_t written = ::write(fd_, p, left);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                break;
            }
            p += written;
            left -= static_cast<std::size_t>(written);
        }
        used_ = 0;
    }

private:
    void put(char c) {
        if (used_ == sizeof buffer_) {
            flush();
        }
        buffer_[used_++] = c;
    }
    int fd_;
    char buffer_[1024];
    std::size_t used_ = 0;
};

void appendText(char* out, std::size_t size, std::size_t& used, const char* text) {
    while (*text != '\0' && used + 1 < size) {
        out[used++] = *text++;
    }
    out[used] = '\0';
}

void appendDecimal(char* out, std::size_t size, std::size_t& used, long long value) {
    char digits[24];
    int n = 0;
    unsigned long long magnitude = value < 0 ? 0ULL : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (n > 0 && used + 1 < size) {
        out[used++] = digits[--n];
    }
    out[used] = '\0';
}

void writeRecord(int signal, const siginfo_t* info) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long pid = ::getpid();

    char path[PATH_MAX + 64];
    std::size_t used = 0;
    path[0] = '\0';
    appendText(path, sizeof path, used, gFolder);
    appendText(path, sizeof path, used, "/crash-");
    appendDecimal(path, sizeof path, used, now.tv_sec);
    appendText(path, sizeof path, used, "-");
    appendDecimal(path, sizeof path, used, pid);
    appendText(path, sizeof path, used, ".record");

    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    {
        RecordWriter out(fd);
        out.text(CrashRecord::kHeader.data());
        out.text("\nsignal ");
        out.decimal(signal);
        out.text("\ncode ");
        out.decimal(info ? info->si_code : 0);
        out.text("\naddress ");
        // Only faults carry an address; for signals sent by a process the field holds its id.
        out.hex(info && info->si_code > 0 ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0);
        out.text("\ntime ");
        out.decimal(now.tv_sec);
        out.text("\npid ");
        out.decimal(pid);
        out.text("\nversion ");
        out.text(gVersion);
        out.text("\n");
        void* frames[kMaxFrames];
        const int count = ::backtrace(frames, kMaxFrames);
        for (int i = 0; i < count; ++i) {
            out.text("frame ");
            out.hex(reinterpret_cast<std::uintptr_t>(frames[i]));
            out.text(" ");
            out.flush();
            // Writes "object(symbol+offset) [address]\n" without allocating.
            ::backtrace_symbols_fd(&frames[i], 1, fd);
        }
        out.text("end\n");
    }
    ::close(fd);
}

void setHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_ONSTACK;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void unblock(int signal) {
    sigset_t only;
    ::sigemptyset(&only);
    ::sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
}

void dieOf(int signal) {
    setHandler(signal, SIG_DFL);
    unblock(signal);
    ::raise(signal);
    ::_exit(128 + signal); // only if the signal could not end the process
}

// Writing the record took too long: end the process with the crash's own signal, not SIGALRM.
void onRecordTimeout(int) {
    dieOf(gCrashSignal);
}

// The watchdog of a record being written: SIGALRM, handled, and deliverable to this thread.
void armRecordTimeout(int signal) {
    gCrashSignal = signal;
    setHandler(SIGALRM, onRecordTimeout);
    unblock(SIGALRM);
    ::alarm(gRecordTimeLimit);
}

void onFatalSignal(int signal, siginfo_t* info, void*) {
    const int savedErrno = errno;
    const auto self = static_cast<pid_t>(::syscall(SYS_gettid));
    pid_t idle = 0;
    if (gHandlingThread.compare_exchange_strong(idle, self)) {
        // Symbol lookup takes the loader's lock; if the crash happened under it, give up after a
        // while instead of hanging. The record is then incomplete and discarded on next launch.
        armRecordTimeout(signal);
        writeRecord(signal, info);
        ::alarm(0);
    } else if (idle != self) {
        // Another thread is writing the record and will end the process; one record per crash.
        for (;;) {
            ::pause();
        }
    }
    // Let the signal end the process as it would have without us.
    setHandler(signal, SIG_DFL);
    errno = savedErrno;
    ::raise(signal); // delivered when the handler returns; a faulting instruction faults again
}

void copyBounded(char* out, std::size_t size, const std::string& text, bool printableOnly) {
    std::size_t n = 0;
    for (char c : text) {
        if (n + 1 >= size) {
            break;
        }
        const auto u = static_cast<unsigned char>(c);
        if (printableOnly && (u < 0x20 || u == 0x7F)) {
            c = '?';
        }
        out[n++] = c;
    }
    out[n] = '\0';
}

} // namespace

std::optional<ServiceFailure> CrashHandler::install(const std::filesystem::path& folder,
                                                    const std::string& programVersion,
                                                    std::chrono::seconds recordTimeLimit) {
    if (folder.string().size() >= sizeof gFolder - 1) {
        return ServiceFailure{"the diagnostics folder's path is too long"};
    }
    if (auto failure = PrivateFolder::prepare(folder)) {
        return failure;
    }
    if (gInstalled) {
        uninstall();
    }
    copyBounded(gFolder, sizeof gFolder, folder.string(), false);
    copyBounded(gVersion, sizeof gVersion, programVersion.empty() ? "dev" : programVersion, true);
    gRecordTimeLimit = static_cast<unsigned>(std::clamp<std::chrono::seconds::rep>(
        recordTimeLimit.count(), 1, kRecordTimeLimit.count() * 6));

    // The first backtrace() loads the unwinder, which allocates: do it now, not in the handler.
    void* warmUp[4];
    (void)::backtrace(warmUp, 4);

    stack_t stack{};
    stack.ss_sp = gAltStack;
    stack.ss_size = sizeof gAltStack;
    stack.ss_flags = 0;
    ::sigaltstack(&stack, nullptr);

    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_sigaction = onFatalSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(kFatalSignals[i], &action, &gPrevious[i]);
    }
    gHandlingThread.store(0);
    gInstalled = true;
    return std::nullopt;
}

void CrashHandler::uninstall() {
    if (!gInstalled) {
        return;
    }
    for (std::size_t i = 0; i < kFatalSignals.size(); ++i) {
        ::sigaction(kFatalSignals[i], &gPrevious[i], nullptr);
    }
    gInstalled = false;
}

} // namespace tavrilux::linux_platform
