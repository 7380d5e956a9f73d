#include "shell/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool LoadQtTranslation(QCoreApplication *app)
{
    auto *translator = new QTranslator(app);
    // The operators' program speaks Russian whatever the system's language is.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    // A Windows installation carries the file beside the program.
    for (const QString &dir : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}) {
        if (translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}
