#pragma once
#include "core/appinfo.h"
#include "update/helptexts.h"

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QStatusBar;
class QTextEdit;

namespace kervio {

// The help window: a topic selector over a read-only view of one help text.
// Created once, shown on demand, never modal.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // A topic chosen in the selector: index 0 loads the calculation text,
    // index 1 the import text, any other nothing.
    void showTopic(int index);
    // The help buttons of the main window and of the import window: show
    // and raise the window, then load their text; the selector stays.
    void showCalculationHelp();
    void showImportHelp();

    // The folder beside the executable (executableFolder() unless set).
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    QString programFolder() const;

private:
    void buildTopicPanel();
    void buildTextView();
    void buildStatusBar();
    void showHelp(HelpTopic topic);
    // A missing text keeps what the view showed.
    void loadHelp(HelpTopic topic);

    QString m_programFolder;
    QFrame *m_topicPanel = nullptr;
    QLabel *m_topicLabel = nullptr;
    QComboBox *m_topicSelector = nullptr;
    QTextEdit *m_textView = nullptr;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_noticeLabel = nullptr;
    QLabel *m_versionLabel = nullptr;
};

// "KULLANIM KILAVUZU": hands the manual to the desktop's viewer; whatever
// happens then is the system's business. Returns whether it was handed over.
bool openManual(const QString &programFolder = executableFolder());

} // namespace kervio
