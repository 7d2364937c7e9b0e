#include "platform/crashreport/crashhandler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int FatalSignals[] = { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT };
constexpr int SignalCount = int(sizeof FatalSignals / sizeof FatalSignals[0]);
// Room for the handler's own frames and the unwinder behind backtrace().
constexpr size_t AltStackSize = 256 * 1024;
constexpr int MaxFrames = 128;
// The descriptor the reporter finds its end of the ready pipe on.
constexpr int ReadyFd = 3;

// Everything the handler needs, made before any crash: the handler itself
// allocates nothing and formats only numbers into fixed buffers.
struct State
{
    std::string program;
    std::string folderPrefix;
    std::vector<std::string> fixed;
    char folder[4096];
    char backtracePath[4200];
    char pidText[24];
    char signalText[24];
    std::vector<char *> argv;
    std::vector<char> altStack;
    stack_t previousStack {};
    bool stackInstalled = false;
    struct sigaction previous[SignalCount];
    int readyWaitMs = 0;
    int limitSeconds = 0;
    void (*insideHandler)() = nullptr;
};

State *s_state = nullptr;
// The thread that is reporting; 0 while none is.
std::atomic<pid_t> s_owner { 0 };
static_assert(std::atomic<pid_t>::is_always_lock_free, "the handler needs a lock-free flag");

// Appends text to a buffer, keeping room for the final zero; returns the
// new end.
char *append(char *out, char *end, const char *text)
{
    while (*text && out < end - 1)
        *out++ = *text++;
    *out = '\0';
    return out;
}

char *appendNumber(char *out, char *end, unsigned long long value)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value && count < int(sizeof digits));
    while (count > 0 && out < end - 1)
        *out++ = digits[--count];
    *out = '\0';
    return out;
}

void writeText(int fd, const char *text)
{
    size_t length = 0;
    while (text[length])
        ++length;
    while (length > 0) {
        const ssize_t written = ::write(fd, text, length);
        if (written <= 0 && errno != EINTR)
            return;
        if (written > 0) {
            text += written;
            length -= size_t(written);
        }
    }
}

[[noreturn]] void endProcess(int signalNumber)
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : FatalSignals)
        ::sigaction(signal, &action, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signalNumber);
    // Not reached: the default action of every fatal signal ends the process.
    ::_exit(128 + signalNumber);
}

pid_t forkProcess()
{
    // The library's fork() runs the program's fork handlers, which may take
    // locks the crashed thread holds; the bare system call does not.
#ifdef SYS_fork
    return pid_t(::syscall(SYS_fork));
#else
    return pid_t(::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0));
#endif
}

[[noreturn]] void execReporter(State *state, int readyFd)
{
    // The reporter gets the ready pipe as descriptor 3 and nothing else of
    // ours (no sockets, no locks, no database).
    if (readyFd >= 0 && readyFd != ReadyFd) {
        ::dup2(readyFd, ReadyFd);
        ::close(readyFd);
    }
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, ReadyFd + 1, ~0U, 0) != 0)
#endif
    {
        for (int fd = ReadyFd + 1; fd < 4096; ++fd)
            ::close(fd);
    }
    // Its own session: the end of the crashed process (or of the terminal
    // that started it) must not take the reporter with it.
    ::setsid();
    ::execve(state->program.c_str(), state->argv.data(), environ);
    ::_exit(127);
}

void waitUntilReady(int fd, int waitMs)
{
    timespec start {};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const long long elapsed
                = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000LL;
        if (elapsed >= waitMs)
            return;
        pollfd entry { fd, POLLIN, 0 };
        const int ready = ::poll(&entry, 1, int(waitMs - elapsed));
        if (ready > 0) {
            char byte = 0;
            [[maybe_unused]] const ssize_t read = ::read(fd, &byte, 1);
            return;
        }
        if (ready == 0 || errno != EINTR)
            return;
    }
}

void writeReport(State *state, int signalNumber)
{
    char *const folderEnd = state->folder + sizeof state->folder;
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char *out = append(state->folder, folderEnd, state->folderPrefix.c_str());
    out = appendNumber(out, folderEnd, (unsigned long long)now.tv_sec);
    out = append(out, folderEnd, "-");
    appendNumber(out, folderEnd, (unsigned long long)::getpid());
    if (::mkdir(state->folder, 0700) != 0 && errno != EEXIST)
        return;

    char *const pathEnd = state->backtracePath + sizeof state->backtracePath;
    out = append(state->backtracePath, pathEnd, state->folder);
    append(out, pathEnd, "/backtrace.txt");
    const int file = ::open(state->backtracePath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file >= 0) {
        char line[64];
        char *lineEnd = append(line, line + sizeof line, "Signal ");
        lineEnd = appendNumber(lineEnd, line + sizeof line, (unsigned long long)signalNumber);
        append(lineEnd, line + sizeof line, "\n");
        writeText(file, line);
        void *frames[MaxFrames];
        const int count = ::backtrace(frames, MaxFrames);
        ::backtrace_symbols_fd(frames, count, file);
        ::close(file);
    }

    appendNumber(state->pidText, state->pidText + sizeof state->pidText,
                 (unsigned long long)::getpid());
    appendNumber(state->signalText, state->signalText + sizeof state->signalText,
                 (unsigned long long)signalNumber);
    int pipeEnds[2] = { -1, -1 };
    if (::pipe(pipeEnds) != 0)
        pipeEnds[0] = pipeEnds[1] = -1;

    const pid_t child = forkProcess();
    if (child == 0) {
        if (pipeEnds[0] >= 0)
            ::close(pipeEnds[0]);
        execReporter(state, pipeEnds[1]);
    }
    if (pipeEnds[1] >= 0)
        ::close(pipeEnds[1]);
    if (child > 0 && pipeEnds[0] >= 0)
        waitUntilReady(pipeEnds[0], state->readyWaitMs);
    if (pipeEnds[0] >= 0)
        ::close(pipeEnds[0]);
}

void onFatalSignal(int signalNumber, siginfo_t *, void *)
{
    const pid_t self = pid_t(::syscall(SYS_gettid));
    pid_t reporting = 0;
    if (!s_owner.compare_exchange_strong(reporting, self)) {
        // A fault inside the handler: end now, no second report.
        if (reporting == self)
            endProcess(signalNumber);
        // Another thread reports and then ends the process.
        for (;;)
            ::pause();
    }
    State *state = s_state;
    if (!state)
        endProcess(signalNumber);

    // Whatever happens below, the process ends in time.
    struct sigaction alarmAction = {};
    alarmAction.sa_handler = SIG_DFL;
    sigemptyset(&alarmAction.sa_mask);
    ::sigaction(SIGALRM, &alarmAction, nullptr);
    ::alarm(unsigned(state->limitSeconds));

    if (state->insideHandler)
        state->insideHandler();
    writeReport(state, signalNumber);
    endProcess(signalNumber);
}

} // namespace

namespace CrashHandler {

bool install(const Setup &setup, QString *error)
{
    uninstall();
    const QFileInfo program(setup.reporterProgram);
    if (!program.isFile() || !program.isExecutable()) {
        if (error)
            *error = QStringLiteral("The crash reporter program was not found: %1")
                             .arg(setup.reporterProgram);
        return false;
    }
    if (!QDir().mkpath(setup.reportsFolder)) {
        if (error)
            *error = QStringLiteral("The crash report folder cannot be made: %1")
                             .arg(setup.reportsFolder);
        return false;
    }

    auto *state = new State;
    state->program = QFile::encodeName(program.absoluteFilePath()).toStdString();
    state->folderPrefix = QFile::encodeName(QDir(setup.reportsFolder).absolutePath()
                                            + QStringLiteral("/crash-"))
                                  .toStdString();
    state->readyWaitMs = qMax(0, setup.readyWaitMs);
    state->limitSeconds = qMax(1, setup.limitSeconds);
    state->insideHandler = setup.insideHandler;
    state->folder[0] = state->backtracePath[0] = '\0';
    state->pidText[0] = state->signalText[0] = '\0';

    static char collect[] = "--collect";
    static char readyFd[] = "--ready-fd";
    static char readyFdValue[] = "3";
    static char pid[] = "--pid";
    static char signal[] = "--signal";
    for (const QString &argument : setup.reporterArguments)
        state->fixed.push_back(argument.toLocal8Bit().toStdString());
    state->argv = { state->program.data(), collect, state->folder,    readyFd, readyFdValue, pid,
                    state->pidText,        signal,  state->signalText };
    for (std::string &argument : state->fixed)
        state->argv.push_back(argument.data());
    state->argv.push_back(nullptr);

    // The unwinder is loaded on first use; load it now, not in the handler.
    void *frames[4];
    ::backtrace(frames, 4);

    state->altStack.resize(AltStackSize);
    stack_t stack {};
    stack.ss_sp = state->altStack.data();
    stack.ss_size = state->altStack.size();
    state->stackInstalled = ::sigaltstack(&stack, &state->previousStack) == 0;

    struct sigaction action = {};
    action.sa_sigaction = onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    // While one fatal signal is handled the others wait; a synchronous one
    // raised meanwhile ends the process at once.
    for (const int signal : FatalSignals)
        sigaddset(&action.sa_mask, signal);
    s_state = state;
    s_owner = 0;
    for (int i = 0; i < SignalCount; ++i)
        ::sigaction(FatalSignals[i], &action, &state->previous[i]);
    return true;
}

void uninstall()
{
    State *state = s_state;
    if (!state)
        return;
    for (int i = 0; i < SignalCount; ++i)
        ::sigaction(FatalSignals[i], &state->previous[i], nullptr);
    if (state->stackInstalled)
        ::sigaltstack(&state->previousStack, nullptr);
    s_state = nullptr;
    delete state;
}

bool isInstalled()
{
    return s_state != nullptr;
}

} // namespace CrashHandler
