#include "cli_common.h"

#include <QFileInfo>
#include <cstdio>

namespace kervio {

namespace {
void writeLine(FILE *f, const QString &text)
{
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), f);
    std::fputc('\n', f);
    std::fflush(f);
}
} // namespace

void writeErrorLine(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    t.replace(u'\r', u' ');
    t.replace(u'\n', u' ');
    writeLine(stderr, t);
}

void writeOutputLine(const QString &text)
{
    writeLine(stdout, text);
}

CommandLineSession::CommandLineSession() : session(Regional::system(), &dialogs)
{
    dialogs.sink = writeErrorLine;
    session.guarded([this] { session.startFresh(); });
}

bool CommandLineSession::open(const QString &path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo(full).isFile()) {
        writeErrorLine(QStringLiteral("Dosya açılamadı: ") + full);
        return false;
    }
    bool opened = false;
    session.guarded([&] { opened = session.loadLedgerFile(full); });
    if (!opened)
        return false; // the reason was shown through the dialogs
    session.guarded([&] { session.recalculateAll(); });
    return true;
}

} // namespace kervio
