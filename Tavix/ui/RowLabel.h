#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>

class QLabel;

namespace tavix::ui {

class IconBadge;

// The head of a settings row: a badge, then the title over an optional quieter subtitle.
class RowLabel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSpacing = 10;
    static constexpr int kLineSpacing = 1;

    RowLabel(const QString& title, std::optional<QString> subtitle, QString symbol, QColor color,
             QWidget* parent = nullptr);

    QString title() const;
    std::optional<QString> subtitle() const { return subtitle_; }
    void setTitle(const QString& title);
    void setSubtitle(std::optional<QString> subtitle);
    void setSymbol(const QString& symbol);
    void setColor(const QColor& color);

    IconBadge* badge() const { return badge_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* subtitleLabel() const { return subtitleLabel_; }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void applyTextColours();

    std::optional<QString> subtitle_;
    IconBadge* badge_;
    QLabel* title_;
    QLabel* subtitleLabel_;
};

}  // namespace tavix::ui
