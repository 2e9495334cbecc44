#pragma once

#include <QObject>

namespace tavix {

// The application's lifecycle: boots the state once launching has finished, asks for the
// settings window on the first launch and on every reopen, and stops the multitouch devices
// when the application quits, however it was asked to.
class AppDelegate : public QObject {
    Q_OBJECT

  public:
    // Watches the application's quit; create it after the application object.
    explicit AppDelegate(QObject* parent = nullptr);

    // Returns at once; the work runs as one task on the main thread's event loop.
    void applicationDidFinishLaunching();
    // Another start of Tavix while this one runs. Always true.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    void applicationWillTerminate();

  private:
    void finishLaunching();
    // Brings the application's windows forward, whatever else is active.
    static void activate();
};

}  // namespace tavix
