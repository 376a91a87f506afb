#include "widgetdialogs.h"
#include "core/appinfo.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace kervio {

namespace {

QMessageBox::Icon boxIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information: return QMessageBox::Information;
    case Dialogs::Icon::Question: return QMessageBox::Question;
    case Dialogs::Icon::Warning: return QMessageBox::Warning;
    case Dialogs::Icon::Error: return QMessageBox::Critical;
    case Dialogs::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString runFileDialog(QWidget *parent, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dlg(parent, request.title);
    dlg.setAcceptMode(mode);
    // the open dialog takes names of files that do not exist; the save
    // dialog leaves the overwrite question to the command
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setNameFilter(request.filter);
    const QDir dir(request.initialDir);
    if (!request.initialDir.isEmpty() && dir.exists())
        dlg.setDirectory(dir.absolutePath());
    if (!request.proposedName.isEmpty())
        dlg.selectFile(request.proposedName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

} // namespace

namespace {
QPointer<QWidget> currentOwner;
} // namespace

DialogOwner::DialogOwner(QWidget *window) : m_previous(currentOwner)
{
    currentOwner = window;
}

DialogOwner::~DialogOwner()
{
    currentOwner = m_previous;
}

QWidget *WidgetDialogs::owner() const
{
    return currentOwner ? currentOwner.data() : m_parent.data();
}

void WidgetDialogs::message(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, owner());
    box.exec();
}

void WidgetDialogs::error(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, owner());
    box.exec();
}

Dialogs::Answer WidgetDialogs::question(const QString &title, const QString &text, Icon icon, Buttons buttons)
{
    QMessageBox::StandardButtons b = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel)
        b |= QMessageBox::Cancel;
    QMessageBox box(boxIcon(icon), title.isEmpty() ? applicationTitle() : title, text, b, owner());
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

QString WidgetDialogs::saveFileName(const FileDialogRequest &request)
{
    return runFileDialog(owner(), request, QFileDialog::AcceptSave);
}

QString WidgetDialogs::openFileName(const FileDialogRequest &request)
{
    return runFileDialog(owner(), request, QFileDialog::AcceptOpen);
}

} // namespace kervio
