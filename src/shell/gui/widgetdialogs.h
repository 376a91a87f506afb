#pragma once
#include "shell/dialogs.h"

#include <QPointer>
#include <QWidget>

namespace kervio {

// The real boxes and file dialogs of the windowed program.
class WidgetDialogs : public Dialogs {
public:
    explicit WidgetDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    void message(const QString &text) override;
    void error(const QString &text) override;
    Answer question(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString saveFileName(const FileDialogRequest &request) override;
    QString openFileName(const FileDialogRequest &request) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace kervio
