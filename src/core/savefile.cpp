#include "savefile.h"

#include <QFile>
#include <QSaveFile>

namespace kervio {

bool saveFileContents(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered, so that a partial write shows in write()'s result: the
    // buffered flush takes a short write for success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            file.cancelWriting();
            return false;
        }
        done += n;
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
