#pragma once
#include "core/dialogs.h"

#include <QPointer>
#include <QWidget>

namespace kervio {

// While one lives, the boxes and file dialogs belong to the given window
// rather than to the main window: a window of its own (the import window)
// comes back to the front when they close, instead of the main window.
class DialogOwner {
public:
    explicit DialogOwner(QWidget *window);
    ~DialogOwner();
    DialogOwner(const DialogOwner &) = delete;
    DialogOwner &operator=(const DialogOwner &) = delete;

private:
    QPointer<QWidget> m_previous;
};

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
    QWidget *owner() const;

    QPointer<QWidget> m_parent;
};

} // namespace kervio
