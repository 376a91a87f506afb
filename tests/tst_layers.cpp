// The layers of src/, read from the include lines of every source file:
// an include never points up, the subsystems (report, spreadsheet, update)
// never include each other, and only the windows include widget headers.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>
#include <functional>

namespace {

// Each layer and the layers it may include (itself always). From the bottom:
// core, ledger, files, then report / spreadsheet / update side by side, the
// shell, the common widget base, each subsystem's windows, the main window
// and last the executable's entry.
const QHash<QString, QStringList> &mayInclude()
{
    static const QStringList headless = {"core", "ledger", "files"};
    static const QHash<QString, QStringList> table = {
        {"core", {}},
        {"ledger", {"core"}},
        {"files", {"core", "ledger"}},
        {"report", headless},
        {"spreadsheet", headless},
        {"update", headless},
        {"shell", headless + QStringList{"report", "spreadsheet", "update"}},
        {"gui", headless},
        {"report/gui", headless + QStringList{"report", "shell", "gui"}},
        {"spreadsheet/gui", headless + QStringList{"spreadsheet", "shell", "gui"}},
        {"update/gui", headless + QStringList{"update", "shell", "gui"}},
        {"shell/gui", headless + QStringList{"report", "spreadsheet", "update", "shell", "gui", "report/gui",
                                              "spreadsheet/gui", "update/gui"}},
        {"app", headless + QStringList{"report", "spreadsheet", "update", "shell", "gui", "report/gui",
                                        "spreadsheet/gui", "update/gui", "shell/gui"}},
    };
    return table;
}

// Where widget headers may be included.
bool isWindowLayer(const QString &layer)
{
    return layer == QLatin1String("gui") || layer.endsWith(QLatin1String("/gui")) || layer == QLatin1String("app");
}

// The layer of a path relative to src/: its first folder, or that folder
// with "/gui" for the windows beneath it. Tools under a subsystem belong to
// it.
QString layerOf(const QString &relativePath)
{
    QStringList folders = relativePath.split(u'/');
    folders.removeLast();
    if (folders.isEmpty())
        return {};
    if (folders.size() >= 2 && folders[1] == QLatin1String("gui"))
        return folders[0] + QLatin1String("/gui");
    return folders[0];
}

struct Source {
    QString relativePath; // below src/
    QString text;
};

// The widget header folders of the toolkit, as the build found them.
QStringList widgetHeaderDirs()
{
    return QString::fromUtf8(KERVIO_WIDGET_HEADER_DIRS).split(u'|', Qt::SkipEmptyParts);
}

bool isWidgetHeader(const QString &header, const QStringList &widgetDirs)
{
    const QString module = header.section(u'/', 0, 0);
    if (module == QLatin1String("QtWidgets") || module == QLatin1String("QtPrintSupport"))
        return true;
    if (header.contains(u'/'))
        return false;
    for (const QString &dir : widgetDirs)
        if (QFileInfo::exists(dir + u'/' + header))
            return true;
    return false;
}

// The broken rules of one file, each naming the file and the line. `exists`
// tells whether a path below src/ is a file there.
QStringList violations(const Source &source, const std::function<bool(const QString &)> &exists,
                       const QStringList &widgetDirs)
{
    static const QRegularExpression includeLine(QStringLiteral("^\\s*#\\s*include\\s*([<\"])([^>\"]+)[>\"]"));
    const QString layer = layerOf(source.relativePath);
    const QString where = QStringLiteral("src/") + source.relativePath;
    QStringList found;
    if (!mayInclude().contains(layer)) {
        found << where + QStringLiteral(": lies in no layer (a new folder needs its row in tst_layers)");
        return found;
    }
    const QStringList allowed = mayInclude().value(layer) + QStringList{layer};
    const QString folder = QFileInfo(source.relativePath).path();
    const QStringList lines = source.text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = includeLine.match(lines[i]);
        if (!m.hasMatch())
            continue;
        const QString at = where + u':' + QString::number(i + 1) + QStringLiteral(": ");
        const QString header = m.captured(2);
        if (m.captured(1) == QLatin1String("<")) {
            if (!isWindowLayer(layer) && isWidgetHeader(header, widgetDirs))
                found << at + QStringLiteral("includes the widget header <%1>; only the gui folders may").arg(header);
            continue;
        }
        if (header.endsWith(QLatin1String(".moc")))
            continue;
        // beside the file first, then from src/
        QString target = QDir::cleanPath(folder + u'/' + header);
        if (!exists(target))
            target = QDir::cleanPath(header);
        if (!exists(target)) {
            found << at + QStringLiteral("includes \"%1\", which is no file under src/").arg(header);
            continue;
        }
        const QString targetLayer = layerOf(target);
        if (!allowed.contains(targetLayer))
            found << at + QStringLiteral("%1 includes %2 (layer %3); %1 may include %4")
                              .arg(layer, target, targetLayer.isEmpty() ? QStringLiteral("none") : targetLayer,
                                   allowed.join(QStringLiteral(", ")));
    }
    return found;
}

} // namespace

class TestLayers : public QObject {
    Q_OBJECT
private slots:
    // The rules themselves, on made-up files.
    void rules_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("violation"); // the start of the one expected, or empty
        QTest::newRow("down") << "report/x.cpp" << "#include \"ledger/document.h\"" << "";
        QTest::newRow("beside") << "ledger/x.cpp" << "#include \"document.h\"" << "";
        QTest::newRow("up") << "report/x.cpp" << "\n#include \"shell/session.h\""
                            << "src/report/x.cpp:2: report includes shell/session.h";
        QTest::newRow("sideways") << "spreadsheet/x.cpp" << "#include \"report/pdfexport.h\""
                                  << "src/spreadsheet/x.cpp:1: spreadsheet includes report/pdfexport.h";
        QTest::newRow("window to another subsystem") << "update/gui/x.cpp" << "#include \"report/pdfexport.h\""
                                                     << "src/update/gui/x.cpp:1: update/gui includes";
        QTest::newRow("common widgets to a window") << "gui/x.cpp" << "#include \"shell/gui/mainwindow.h\""
                                                    << "src/gui/x.cpp:1: gui includes";
        QTest::newRow("widget header outside the windows") << "shell/x.cpp" << "#include <QWidget>"
                                                           << "src/shell/x.cpp:1: includes the widget header <QWidget>";
        QTest::newRow("print support") << "report/x.cpp" << "#include <QtPrintSupport/QPrinter>"
                                       << "src/report/x.cpp:1: includes the widget header";
        QTest::newRow("widget header in a window") << "report/gui/x.cpp" << "#include <QPrinter>" << "";
        QTest::newRow("QtCore header") << "core/x.cpp" << "#include <QString>" << "";
        QTest::newRow("missing file") << "core/x.cpp" << "#include \"core/gone.h\""
                                      << "src/core/x.cpp:1: includes \"core/gone.h\", which is no file";
        QTest::newRow("new folder") << "extras/x.cpp" << "" << "src/extras/x.cpp: lies in no layer";
    }
    void rules()
    {
        QFETCH(QString, path);
        QFETCH(QString, text);
        QFETCH(QString, violation);
        const QStringList there = {"ledger/document.h", "shell/session.h", "report/pdfexport.h",
                                   "shell/gui/mainwindow.h"};
        const auto exists = [&](const QString &p) { return there.contains(p); };
        const QStringList found = violations({path, text}, exists, widgetHeaderDirs());
        if (violation.isEmpty()) {
            QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
        } else {
            QCOMPARE(found.size(), 1);
            QVERIFY2(found[0].startsWith(violation), qPrintable(found[0]));
        }
    }

    void widgetHeadersAreKnown()
    {
        const QStringList dirs = widgetHeaderDirs();
        QVERIFY2(!dirs.isEmpty(), "the build named no widget header folder");
        QVERIFY(isWidgetHeader(QStringLiteral("QApplication"), dirs));
        QVERIFY(isWidgetHeader(QStringLiteral("QPrinter"), dirs));
        QVERIFY(!isWidgetHeader(QStringLiteral("QGuiApplication"), dirs));
        QVERIFY(!isWidgetHeader(QStringLiteral("QPdfWriter"), dirs));
    }

    // Every file under src/.
    void sourcesKeepTheLayers()
    {
        const QDir src(QStringLiteral(KERVIO_SOURCE_DIR));
        QVERIFY(src.exists());
        const auto exists = [&](const QString &p) { return QFileInfo(src.filePath(p)).isFile(); };
        const QStringList widgetDirs = widgetHeaderDirs();
        QStringList found;
        int files = 0;
        QDirIterator it(src.path(), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            found += violations({src.relativeFilePath(path), QString::fromUtf8(file.readAll())}, exists, widgetDirs);
            ++files;
        }
        QVERIFY(files > 50);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }
};

QTEST_APPLESS_MAIN(TestLayers)
#include "tst_layers.moc"
