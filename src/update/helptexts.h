#pragma once
#include "core/appinfo.h"

#include <QString>
#include <optional>

namespace kervio {

// The two help texts, in the order of the help window's topic selector.
enum class HelpTopic { Calculation = 0, Import = 1 };

// The topic at an index of the selector; none for any other index.
std::optional<HelpTopic> helpTopicAt(int index);
// The topic's file, "yardimvade" or "yardimexl": named without a folder, so
// that it resolves against the current directory.
QString helpFileName(HelpTopic topic);

// The current directory first, then the program's folder, then the
// installed data folder; empty when none has the file.
QString findHelpFile(const QString &name, const QString &programFolder);

// A help text as the view shows it: formatted when it is rich text (it
// begins with a tag), as it stands otherwise.
struct HelpText {
    QString text;
    bool rich = false;
};
// UTF-8, or the Turkish code page for older files; none when the file
// cannot be read.
std::optional<HelpText> readHelpText(const QString &path);

// "Kervio_Kullanim.pdf" in the program's folder, or in the installed data
// folder when only that one has it.
QString manualPath(const QString &programFolder = executableFolder());

} // namespace kervio
