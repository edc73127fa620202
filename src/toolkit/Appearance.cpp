#include "toolkit/Appearance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Appearance {

const char* const SubstituteFace = "PT Sans";

QFont font(int pixelHeight, bool bold, const QString& family) {
    QFont result(family);
    result.setPixelSize(pixelHeight);
    result.setBold(bold);
    return result;
}

namespace {

// Qt's Russian texts: where Qt keeps its translations, a "translations" folder beside the
// executable, as a deployed program carries them, or inside the executable itself, as the
// one-file Windows program does.
void loadQtTranslations() {
    const QStringList folders = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
        QStringLiteral(":/translations")};
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& folder : folders) {
        if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"),
                             QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    delete translator;
}

} // namespace

void install() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QString::fromLatin1(SubstituteFace));
    loadQtTranslations();
}

} // namespace Appearance
