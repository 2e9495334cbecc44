#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace tavix::ui {

class RowLabel;

// One permission with what it is needed for, and whether it is granted: a green shield and
// "已就绪", or an orange lock and "未授权".
class PermissionRow : public QWidget {
    Q_OBJECT
  public:
    PermissionRow(const QString& title, QString detail, bool ok, QWidget* parent = nullptr);

    bool ok() const { return ok_; }
    void setOk(bool ok);

    RowLabel* label() const { return label_; }
    QLabel* statusLabel() const { return status_; }

  private:
    bool ok_;
    RowLabel* label_;
    QLabel* status_;
};

}  // namespace tavix::ui
