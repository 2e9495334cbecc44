#pragma once

#include <QFont>
#include <QString>
#include <optional>

namespace tavix::ui {

// The text styles of the interface, scaled from the application font (the body size) so that
// they follow the desktop's font size.
class TextStyles {
  public:
    static QFont body();
    static QFont callout();
    static QFont caption();
    static QFont captionMedium();
    static QFont monospacedCaption();
    // The bold window title.
    static QFont title();

    // An installed family that draws Simplified Chinese, if there is one.
    static std::optional<QString> chineseFamily();
    // Puts a Chinese family right after the application font's own families, so that Chinese
    // text takes one consistent face even where the desktop's default has none. Returns false
    // when no installed font covers Chinese.
    static bool installChineseFallback();
};

}  // namespace tavix::ui
