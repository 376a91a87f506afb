#include "helptexts.h"
#include "core/codepage1254.h"
#include "core/locations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTextDocument>

namespace kervio {

namespace {

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1254(bytes);
}

} // namespace

std::optional<HelpTopic> helpTopicAt(int index)
{
    switch (index) {
    case 0: return HelpTopic::Calculation;
    case 1: return HelpTopic::Import;
    default: return std::nullopt;
    }
}

QString helpFileName(HelpTopic topic)
{
    return topic == HelpTopic::Calculation ? QStringLiteral("yardimvade") : QStringLiteral("yardimexl");
}

QString findHelpFile(const QString &name, const QString &programFolder)
{
    const QString here = QDir::current().absoluteFilePath(name);
    if (QFileInfo(here).isFile())
        return here;
    for (const QString &folder : {programFolder, installedDataFolder(programFolder)}) {
        const QString path = QDir(folder).absoluteFilePath(name);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

std::optional<HelpText> readHelpText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    HelpText help;
    help.text = decode(f.readAll());
    // a rich text begins with its first tag; a "<" further on is just a character
    help.rich = help.text.trimmed().startsWith(u'<') && Qt::mightBeRichText(help.text);
    return help;
}

QString manualPath(const QString &programFolder)
{
    const QString name = QStringLiteral("Kervio_Kullanim.pdf");
    const QString beside = QDir(programFolder).absoluteFilePath(name);
    const QString installed = QDir(installedDataFolder(programFolder)).absoluteFilePath(name);
    return !QFileInfo(beside).isFile() && QFileInfo(installed).isFile() ? installed : beside;
}

} // namespace kervio
