#pragma once
#include "dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>

namespace kervio {

// Dialogs answered from a script: every text shown is recorded in order (and
// handed to a sink, which the command line uses for standard error); answers
// and file names are taken from queues. An empty answer queue answers No, an
// empty name queue cancels.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        enum Kind { Message, Error, Question } kind;
        QString text;
        QString title;
    };

    std::vector<Shown> shown;
    std::deque<Answer> answers;
    std::deque<QString> fileNames;
    std::vector<FileDialogRequest> fileDialogs;
    std::function<void(const QString &)> sink;

    void message(const QString &text) override { record(Shown::Message, text, {}); }
    void error(const QString &text) override { record(Shown::Error, text, {}); }
    Answer question(const QString &title, const QString &text, Icon, Buttons) override
    {
        record(Shown::Question, text, title);
        if (answers.empty())
            return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QString saveFileName(const FileDialogRequest &request) override { return nextName(request); }
    QString openFileName(const FileDialogRequest &request) override { return nextName(request); }

    QStringList texts() const
    {
        QStringList l;
        for (const Shown &s : shown)
            l << s.text;
        return l;
    }
    void clear() { shown.clear(); }

private:
    void record(Shown::Kind k, const QString &text, const QString &title)
    {
        shown.push_back({k, text, title});
        if (sink)
            sink(text);
    }
    QString nextName(const FileDialogRequest &request)
    {
        fileDialogs.push_back(request);
        if (fileNames.empty())
            return {};
        const QString n = fileNames.front();
        fileNames.pop_front();
        return n;
    }
};

} // namespace kervio
