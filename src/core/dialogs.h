#pragma once
#include <QString>
#include <QStringList>

namespace kervio {

struct FileDialogRequest {
    QString title;
    QString filter;       // Qt form: "Vade Farkı Dosyası (*.krv)"
    QString initialDir;   // relative names resolve against the current directory
    QString proposedName;
};

// Every message box, question and file dialog goes through here, so that the
// window shows real boxes and tests answer with a script.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel };
    enum class Icon { None, Information, Question, Warning, Error };
    enum class Buttons { YesNo, YesNoCancel };

    virtual ~Dialogs() = default;
    // A plain notice of the program (title: the application title).
    virtual void message(const QString &text) = 0;
    // The general error handler's box with the error's own text.
    virtual void error(const QString &text) = 0;
    virtual Answer question(const QString &title, const QString &text, Icon icon, Buttons buttons) = 0;
    // Empty when cancelled.
    virtual QString saveFileName(const FileDialogRequest &request) = 0;
    virtual QString openFileName(const FileDialogRequest &request) = 0;
};

} // namespace kervio
