#include "Tavix/ui/Translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace tavix::ui {

std::optional<QString> Translations::fileFor(const QStringList& uiLanguages) {
    for (const QString& tag : uiLanguages) {
        const QLocale::Language language = QLocale(tag).language();
        if (language == QLocale::Chinese) return std::nullopt;
        if (language == QLocale::English) return QStringLiteral(":/i18n/tavix_en.qm");
    }
    return std::nullopt;
}

QString Translations::install() {
    static QString shown = [] {
        const auto file = fileFor(QLocale::system().uiLanguages());
        if (!file) return QStringLiteral("zh");
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(*file) || !QCoreApplication::installTranslator(translator)) {
            delete translator;
            return QStringLiteral("zh");
        }
        return QStringLiteral("en");
    }();
    return shown;
}

}  // namespace tavix::ui
