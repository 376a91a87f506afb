#pragma once
#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

namespace kervio {

// Replaces the file's content through a temporary file in the same folder;
// on any failure the previous file stays as it was. A short write (a full
// disk, a size limit) counts as a failure.
bool saveFileContents(const QString &path, const QByteArray &bytes);
// The same for contents made piece by piece: `next` appends the next piece
// to the (emptied) array it is handed and returns false after the last one.
bool saveFileContents(const QString &path, const std::function<bool(QByteArray &piece)> &next);

// The whole file's bytes; nullopt when it cannot be opened or read.
std::optional<QByteArray> readFileContents(const QString &path);

} // namespace kervio
