#include "isolatedrun.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// A sanitizer's hook to run on a finding (set by a fuzzer to save its
// input); the child drops it, its failures are expected and handled.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));
#endif

namespace kervio {

void IsolatedOutput::append(const void *data, size_t size)
{
    m_block.append(static_cast<const char *>(data), qsizetype(size));
    if (m_block.size() >= 64 * 1024)
        flush();
}

bool IsolatedOutput::flush()
{
    if (m_sink) {
        m_sink->append(m_block);
        m_block.clear();
        return true;
    }
#ifdef Q_OS_UNIX
    qsizetype done = 0;
    while (done < m_block.size()) {
        const ssize_t n = ::write(m_fd, m_block.constData() + done, size_t(m_block.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    m_block.clear();
    return true;
#else
    return false;
#endif
}

#ifdef Q_OS_UNIX

namespace {

[[noreturn]] void runChild(const std::function<int(IsolatedOutput &)> &work, int fd)
{
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(nullptr);
    // a library's complaints about a damaged file are not the user's
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0)
        ::dup2(null, STDERR_FILENO);
    ::signal(SIGPIPE, SIG_DFL);
    IsolatedOutput out(fd);
    const int code = work(out);
    // no exit handlers: they belong to the parent
    ::_exit(out.flush() ? code : 127);
}

} // namespace

std::optional<IsolatedResult> runIsolated(const std::function<int(IsolatedOutput &)> &work, qint64 maxBytes,
                                          int silenceMs)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        runChild(work, fds[1]);
    }
    ::close(fds[1]);
    IsolatedResult result;
    bool failed = false;
    char buffer[64 * 1024];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, silenceMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            failed = true;
            break;
        }
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0)
            break;
        if (result.output.size() + n > maxBytes) {
            failed = true;
            break;
        }
        result.output.append(buffer, n);
    }
    ::close(fds[0]);
    if (failed)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (failed || !WIFEXITED(status))
        return std::nullopt;
    result.exitCode = WEXITSTATUS(status);
    return result;
}

#else

std::optional<IsolatedResult> runIsolated(const std::function<int(IsolatedOutput &)> &work, qint64 maxBytes, int)
{
    IsolatedResult result;
    IsolatedOutput out(-1, &result.output);
    result.exitCode = work(out);
    out.flush();
    if (result.output.size() > maxBytes)
        return std::nullopt;
    return result;
}

#endif

} // namespace kervio
