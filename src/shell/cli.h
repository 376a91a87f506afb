#pragma once
#include <QStringList>
#include <memory>

namespace kervio {

struct Subcommand;
struct ParsedArguments;

// The program's arguments, read once: the windowed program (with a ledger
// file to open), the picture of its main window, or a command without
// windows (--recalculate, --report, --export, --import, --help, --version).
class CommandLine {
public:
    enum class Mode { Window, Screenshot, Command };

    // `arguments` start with the program's name.
    explicit CommandLine(const QStringList &arguments);
    ~CommandLine();
    CommandLine(const CommandLine &) = delete;
    CommandLine &operator=(const CommandLine &) = delete;

    Mode mode() const;
    // Window: the FILE.krv given, or empty.
    QString fileToOpen() const;
    // Screenshot: where the picture goes.
    QString screenshotPath() const;
    // Command: runs it and returns the exit status; a misuse prints the
    // command's usage on standard error. Makes the application object the
    // command needs when there is none yet.
    int run() const;

private:
    QStringList m_arguments;
    std::unique_ptr<ParsedArguments> m_parser;
    const Subcommand *m_subcommand = nullptr; // null: the window
};

QStringList argumentsOf(int argc, char **argv);

} // namespace kervio
