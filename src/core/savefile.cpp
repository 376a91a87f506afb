#include "savefile.h"

#include <QFile>
#include <QSaveFile>

namespace kervio {

bool saveFileContents(const QString &path, const QByteArray &bytes)
{
    return saveFileContents(path, [&](QByteArray &piece) {
        piece = bytes; // shared, not copied
        return false;
    });
}

bool saveFileContents(const QString &path, const std::function<bool(QByteArray &piece)> &next)
{
    QSaveFile file(path);
    // Unbuffered, so that a partial write shows in write()'s result: the
    // buffered flush takes a short write for success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    QByteArray piece;
    bool more = true;
    while (more) {
        piece.resize(0);
        more = next(piece);
        qint64 done = 0;
        while (done < piece.size()) {
            const qint64 n = file.write(piece.constData() + done, piece.size() - done);
            if (n <= 0) {
                file.cancelWriting();
                return false;
            }
            done += n;
        }
    }
    return file.commit();
}

std::optional<QByteArray> readFileContents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace kervio
