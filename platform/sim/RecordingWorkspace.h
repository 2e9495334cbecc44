#pragma once

#include <mutex>
#include <set>

#include "platform/Workspace.h"

namespace tavix::platform {

// A workspace whose file system holds exactly the paths it is given and that records every
// application it is asked to open.
class RecordingWorkspace final : public Workspace {
  public:
    struct Open {
        std::string path;
        OpenConfiguration configuration;
    };
    using Listener = std::function<void(const Open&)>;

    void setExistingPaths(std::set<std::string> paths) {
        std::lock_guard guard(mutex_);
        paths_ = std::move(paths);
    }
    void setListener(Listener listener) {
        std::lock_guard guard(mutex_);
        listener_ = std::move(listener);
    }
    std::vector<Open> opens() const {
        std::lock_guard guard(mutex_);
        return opens_;
    }

    void openApplication(const std::string& path, const OpenConfiguration& configuration,
                         Completion completion) override {
        Listener listener;
        bool exists = false;
        {
            std::lock_guard guard(mutex_);
            opens_.push_back({path, configuration});
            listener = listener_;
            exists = paths_.contains(path);
        }
        if (listener) listener({path, configuration});
        if (completion) completion(exists);
    }

    bool fileExists(const std::string& path) const override {
        std::lock_guard guard(mutex_);
        return paths_.contains(path);
    }

    bool openURL(const std::string& url) override {
        std::lock_guard guard(mutex_);
        urls_.push_back(url);
        return true;
    }
    std::vector<std::string> urls() const {
        std::lock_guard guard(mutex_);
        return urls_;
    }

  private:
    mutable std::mutex mutex_;
    std::set<std::string> paths_;
    std::vector<Open> opens_;
    std::vector<std::string> urls_;
    Listener listener_;
};

}  // namespace tavix::platform
