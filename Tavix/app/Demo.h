#pragma once

#include <QObject>
#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/multitouch/SimControlLoader.h"
#include "replay/EventLog.h"
#include "replay/TouchScript.h"

namespace tavix {

namespace platform {
class RecordingWorkspace;
}

// `tavix --demo`: the whole application on the simulated platform. The simulated framework plays
// a touch script in real time, over and over; what the script does besides frames (the pointer,
// physical clicks and scrolls, configuration, mice coming and going) happens on the main thread
// at the same moments. Events go nowhere but the log (with `verbose`); both grants are given; the
// user defaults, the mouse preferences, the login item and the diagnostics file live in a fresh
// folder under the user's runtime folder, removed when the demo ends (and by the next demo, or at
// logout, when it was killed).
class Demo : public QObject {
    Q_OBJECT

  public:
    // Points the settings folders into a new folder under `runtimeFolder`. The caller holds the
    // demo's single instance, so any demo folder already there was left by one that died, and
    // goes.
    Demo(bool verbose, const QString& runtimeFolder);
    ~Demo() override;

    // The temporary folder could not be made.
    bool ready() const { return folder_.isValid(); }
    QString folder() const { return folder_.path(); }

    // Installs the simulated services and loads the script into the framework. On the main
    // thread, once the application object exists. False, after one message on `errors`, when
    // the script cannot be read or the framework cannot be scripted.
    bool install(const std::filesystem::path& script, std::vector<std::string> arguments,
                 std::string& errors);
    // Starts playing, in a loop.
    void start();

  private:
    // At `t` of every round: the action, or (nothing) the devices back as the script declares.
    struct Timed {
        double t;
        std::optional<replay::line::Action> action;
    };
    class LogBackend;

    static constexpr char kFolderPrefix[] = "tavix-demo.";
    // Clears out what dead demos left and names a new folder there.
    static QString freshFolder(const QString& runtimeFolder);
    bool load(const std::filesystem::path& script, std::string& errors);
    void scheduleNext();
    void apply(const replay::line::Action& action);
    void resetDevices();
    double elapsed() const;

    bool verbose_;
    QTemporaryDir folder_;
    std::optional<platform::mt::SimControl> control_;
    std::vector<replay::line::Device> devices_;
    std::vector<std::vector<MTSimContact>> contacts_;
    std::vector<MTSimFrame> frames_;
    std::vector<Timed> actions_{{0, std::nullopt}};
    double period_ = 1;
    std::shared_ptr<LogBackend> backend_;
    std::shared_ptr<platform::RecordingWorkspace> workspace_;
    std::chrono::steady_clock::time_point origin_;
    std::size_t nextAction_ = 0;
    long long round_ = 0;
};

}  // namespace tavix
