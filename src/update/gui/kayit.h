#pragma once
#include <QWidget>

class QProgressBar;

namespace kervio::kayit {

// The small waiting window shown while the update downloads: no border
// icons, centred on the desktop, its bar left empty.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    QProgressBar *ProgressBar1;
};

} // namespace kervio::kayit
