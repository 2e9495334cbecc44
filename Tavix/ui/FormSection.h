#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace tavix::ui {

// One section of a grouped form: an optional header line, the rows on a rounded plate with a
// hairline between neighbours, and an optional footer note. Rows may be shown and hidden at
// will; the plate and its hairlines follow the visible ones.
class FormSection : public QWidget {
    Q_OBJECT
  public:
    static constexpr qreal kCornerRadius = 8;
    static constexpr int kRowPadding = 8;
    static constexpr int kSidePadding = 12;
    static constexpr int kTextInset = 12;

    // Empty texts leave their line out.
    explicit FormSection(const QString& header = {}, const QString& footer = {},
                         QWidget* parent = nullptr);

    // Appends a row; the section takes ownership.
    void addRow(QWidget* row);

    QLabel* headerLabel() const { return header_; }
    QLabel* footerLabel() const { return footer_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel* header_;
    QLabel* footer_;
    QWidget* plate_;
    QVBoxLayout* rows_;
};

}  // namespace tavix::ui
