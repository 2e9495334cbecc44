#pragma once

#include <QIcon>
#include <QObject>
#include <functional>

namespace tavix::ui {

// The tray's icon, and the one place that answers the in-process request for the settings
// window ("TavixOpenSettings") by opening it.
class WindowOpener : public QObject {
    Q_OBJECT
  public:
    // Opens (or brings forward) the window with the given identifier.
    using OpenWindow = std::function<void(const QString& identifier)>;

    explicit WindowOpener(OpenWindow openWindow, QObject* parent = nullptr);

    // The tray icon for the current palette: a light glyph on dark panels, a dark one on light.
    QIcon icon() const;

  signals:
    // The palette changed; icon() may now be the other variant.
    void iconChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    OpenWindow openWindow_;
};

}  // namespace tavix::ui
