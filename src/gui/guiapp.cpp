#include "guiapp.h"
#include "core/appinfo.h"
#include "core/dialogs.h"
#include "core/errors.h"
#include "core/numericlocale.h"

#include <QCoreApplication>
#include <QFont>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

namespace kervio {

bool KervioApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const SilentAbort &) {
    } catch (const KervioError &e) {
        if (dialogs)
            dialogs->error(e.text());
    } catch (const std::exception &e) {
        if (dialogs)
            dialogs->error(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
}

QFont tahoma(int pixels, bool bold, int stretch)
{
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStretch(stretch);
    return f;
}

bool installTurkishInterface(const QString &translationsFolder)
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_tr"), translationsFolder)) {
        QCoreApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

void prepareApplication()
{
    useCNumericLocaleInProcess();
    QApplication::setApplicationName(applicationTitle());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    installFontSubstitutions();
    installTurkishInterface(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QChar typedCharacter(const QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return u'\r';
    case Qt::Key_Backspace: return u'\b';
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return {};
    default: break;
    }
    const QString t = e->text();
    return t.size() == 1 ? t.at(0) : QChar();
}

void showText(QLineEdit *field, const QString &text)
{
    if (field->text() == text)
        return;
    field->setText(text);
    field->setCursorPosition(0);
}

} // namespace kervio
