#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tavix::ui {

// The interface's texts are written in Chinese; an English translation ships embedded and is
// chosen by the system locale. Any other language keeps the Chinese.
class Translations {
  public:
    // The translation for the first of `uiLanguages` (most preferred first, as
    // QLocale::uiLanguages() lists them) that Tavix speaks: none for Chinese, the English file
    // for English; none when no language matches.
    static std::optional<QString> fileFor(const QStringList& uiLanguages);
    // Installs into the application the translation the system locale asks for, once.
    // Returns the language now shown: "zh" or "en".
    static QString install();
};

}  // namespace tavix::ui
