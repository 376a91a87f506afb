#pragma once
#include <QWidget>

class QProgressBar;
class QPushButton;

namespace kervio {

// The small waiting window shown while the update downloads: no border
// icons, centred on the desktop, its bar left empty. It keeps the other
// windows from input while it is shown; its "İptal" ends the download and
// the program stays as it was.
class UpdateProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit UpdateProgressWindow(QWidget *parent = nullptr);

    QPushButton *cancelButton() const { return m_cancel; }

private:
    QProgressBar *m_progressBar;
    QPushButton *m_cancel;
};

} // namespace kervio
