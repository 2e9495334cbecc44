#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QRawFont>
#include <QTranslator>
#include <QXmlStreamReader>
#include <map>

#include "Tavix/ui/PermissionRow.h"
#include "Tavix/ui/Symbols.h"
#include "Tavix/ui/TextStyles.h"
#include "Tavix/ui/Translations.h"

namespace tavix::ui {
namespace {

int opaquePixels(const QImage& image) {
    int count = 0;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) count += qAlpha(argb.pixel(x, y)) > 128;
    return count;
}

struct Message {
    QString context;
    QString source;
    QString translation;
};

std::vector<Message> messagesOfTheTsFile() {
    QFile file(QStringLiteral(TAVIX_UI_TS));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::vector<Message> messages;
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("name")) context = xml.readElementText();
        if (xml.name() == QLatin1String("source"))
            messages.push_back({context, xml.readElementText(), {}});
        if (xml.name() == QLatin1String("translation"))
            messages.back().translation = xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

TEST(Symbols, EveryNameRendersAGlyphInTheAskedColour) {
    ASSERT_GE(Symbols::names().size(), 25);
    for (const QString& name : Symbols::names()) {
        const QPixmap glyph = Symbols::pixmap(name, 16, Qt::white, 2);
        ASSERT_FALSE(glyph.isNull()) << name.toStdString();
        EXPECT_EQ(glyph.deviceIndependentSize(), QSizeF(16, 16));
        const QImage image = glyph.toImage();
        const int area = image.width() * image.height();
        const int ink = opaquePixels(image);
        EXPECT_GT(ink, area / 12) << name.toStdString() << " draws almost nothing";
        EXPECT_LT(ink, area * 9 / 10) << name.toStdString() << " fills its box";
        const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
        if (centre.alpha() == 255) {
            EXPECT_EQ(centre, QColor(Qt::white)) << name.toStdString();
        }
    }
    EXPECT_TRUE(Symbols::pixmap(QStringLiteral("no.such.symbol"), 16, Qt::white, 1).isNull());
}

TEST(Symbols, TrayIconHasADarkGlyphForLightPanelsAndALightOneForDarkPanels) {
    auto meanGrey = [](const QIcon& icon) {
        const QImage image =
            icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
        long sum = 0, n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) == 255) sum += qGray(image.pixel(x, y)), ++n;
        EXPECT_GT(n, 100);
        return n ? sum / n : 0;
    };
    EXPECT_LT(meanGrey(Symbols::trayIcon(false)), 60);
    EXPECT_GT(meanGrey(Symbols::trayIcon(true)), 200);

    QPalette dark;
    dark.setColor(QPalette::Window, QColor(40, 40, 40));
    EXPECT_TRUE(Symbols::isDark(dark));
    dark.setColor(QPalette::Window, QColor(240, 240, 240));
    EXPECT_FALSE(Symbols::isDark(dark));
}

TEST(Translations, TheFirstKnownLanguageOfTheLocaleWinsAndChineseIsTheDefault) {
    const QString english = QStringLiteral(":/i18n/tavix_en.qm");
    EXPECT_EQ(Translations::fileFor({"en-GB"}), english);
    EXPECT_EQ(Translations::fileFor({"de-DE", "en-US", "zh-CN"}), english);
    EXPECT_EQ(Translations::fileFor({"zh-CN", "en-US"}), std::nullopt);
    EXPECT_EQ(Translations::fileFor({"zh-Hant-TW"}), std::nullopt);
    EXPECT_EQ(Translations::fileFor({"de-DE", "fr-FR"}), std::nullopt);
    EXPECT_EQ(Translations::fileFor({}), std::nullopt);
}

TEST(Translations, TheEmbeddedEnglishTranslatesEveryTextOfTheTsFile) {
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/i18n/tavix_en.qm")));
    const auto messages = messagesOfTheTsFile();
    ASSERT_GT(messages.size(), 70u);
    for (const Message& m : messages) {
        EXPECT_FALSE(m.translation.isEmpty()) << m.source.toStdString();
        EXPECT_EQ(english.translate(m.context.toUtf8(), m.source.toUtf8()), m.translation)
            << m.context.toStdString() << " / " << m.source.toStdString();
    }

    // Installed, the widgets speak it.
    QCoreApplication::installTranslator(&english);
    PermissionRow row(QStringLiteral("辅助功能"), QString(), false);
    EXPECT_EQ(row.statusLabel()->text(), QStringLiteral("Not authorized"));
    QCoreApplication::removeTranslator(&english);
}

TEST(Fonts, AChineseFaceIsInstalledAndEveryCharacterOfTheTextsHasAGlyph) {
    const auto chinese = TextStyles::chineseFamily();
    ASSERT_TRUE(chinese) << "no font for Simplified Chinese (Debian: fonts-wqy-microhei)";
    const QRawFont cjk = QRawFont::fromFont(QFont(*chinese));
    std::map<QString, QRawFont> others;
    for (const QString& family : QFontDatabase::families())
        others.emplace(family, QRawFont::fromFont(QFont(family)));

    for (const Message& m : messagesOfTheTsFile()) {
        for (const uint c : m.source.toUcs4()) {
            if (cjk.supportsCharacter(c) || c == 0xFE0E) continue;  // FE0E selects, draws nothing
            const QChar::Script script = QChar::script(c);
            EXPECT_NE(script, QChar::Script_Han) << m.source.toStdString();
            bool found = false;
            for (const auto& [family, font] : others) found = found || font.supportsCharacter(c);
            EXPECT_TRUE(found) << "U+" << std::hex << c << " in " << m.source.toStdString();
        }
    }

    const QFont before = QGuiApplication::font();
    ASSERT_TRUE(TextStyles::installChineseFallback());
    EXPECT_TRUE(QGuiApplication::font().families().contains(*chinese));
    QGuiApplication::setFont(before);
}

}  // namespace
}  // namespace tavix::ui
