#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace tavix::ui {

// A 24 × 24 rounded square shaded from `color`, holding the white symbol `symbol`.
class IconBadge : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSize = 24;
    static constexpr qreal kCornerRadius = 6;
    // The symbol's square; the drawings leave a margin, so the glyph itself is about 13.
    static constexpr int kSymbolBox = 16;

    IconBadge(QString symbol, QColor color, QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    QColor color() const { return color_; }
    void setSymbol(const QString& symbol);
    void setColor(const QColor& color);

    QSize sizeHint() const override { return {kSize, kSize}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString symbol_;
    QColor color_;
};

}  // namespace tavix::ui
