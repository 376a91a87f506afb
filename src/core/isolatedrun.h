#pragma once
// Work handed to a library that may crash or hang on hostile input, run in a
// child process: whatever happens there, this process and the user's unsaved
// ledger are untouched, and a failure is just a failed read.
#include <QByteArray>
#include <functional>
#include <optional>

namespace kervio {

// Gathers the child's output in blocks.
class IsolatedOutput {
public:
    // Writes to `fd`, or keeps everything in `sink` when there is no child.
    explicit IsolatedOutput(int fd, QByteArray *sink = nullptr) : m_fd(fd), m_sink(sink) {}
    void append(const void *data, size_t size);
    template <class T>
    void appendValue(T value) { append(&value, sizeof value); }
    // False when the reader went away.
    bool flush();

private:
    int m_fd;
    QByteArray *m_sink;
    QByteArray m_block;
};

struct IsolatedResult {
    int exitCode = 0;
    QByteArray output;
};

// Runs `work` in a forked child with the output's pipe; its return value is
// the child's exit code. nullopt when the child crashed, was killed, gave
// no output for `silenceMs`, or wrote more than `maxBytes`. Where processes
// cannot be forked, `work` runs in this process.
std::optional<IsolatedResult> runIsolated(const std::function<int(IsolatedOutput &)> &work, qint64 maxBytes,
                                          int silenceMs = 60000);

} // namespace kervio
