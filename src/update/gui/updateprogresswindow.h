#pragma once
#include <QWidget>

class QProgressBar;

namespace kervio {

// The small waiting window shown while the update downloads: no border
// icons, centred on the desktop, its bar left empty.
class UpdateProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit UpdateProgressWindow(QWidget *parent = nullptr);

private:
    QProgressBar *m_progressBar;
};

} // namespace kervio
