#include "savefile.h"

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

} // namespace kervio
