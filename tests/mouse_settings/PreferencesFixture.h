#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/preferences/DistributedNotificationCenter.h"
#include "platform/preferences/HIDEventSystem.h"
#include "platform/preferences/PreferenceStore.h"
#include "platform/preferences/sim/InMemoryPreferenceStore.h"
#include "platform/preferences/sim/RecordingHIDEventSystem.h"
#include "platform/preferences/sim/RecordingNotificationCenter.h"

namespace tavix::testing {

// A fresh store and notification centre per test. MouseSettings keeps its HID client for the
// whole process, so the HID system is installed once and only its records are cleared.
class PreferencesFixture : public ::testing::Test {
  protected:
    static platform::RecordingHIDEventSystem& hid() {
        static const auto system = [] {
            auto created = std::make_shared<platform::RecordingHIDEventSystem>();
            platform::installHIDEventSystem(created);
            return created;
        }();
        return *system;
    }

    void SetUp() override {
        hid().clearProperties();
        previousStore_ = platform::installPreferenceStore(store);
        previousCenter_ = platform::installDistributedNotificationCenter(center);
    }
    void TearDown() override {
        platform::installPreferenceStore(previousStore_);
        platform::installDistributedNotificationCenter(previousCenter_);
    }

    std::shared_ptr<platform::InMemoryPreferenceStore> store =
        std::make_shared<platform::InMemoryPreferenceStore>();
    std::shared_ptr<platform::RecordingNotificationCenter> center =
        std::make_shared<platform::RecordingNotificationCenter>();

  private:
    std::shared_ptr<platform::PreferenceStore> previousStore_;
    std::shared_ptr<platform::DistributedNotificationCenter> previousCenter_;
};

}  // namespace tavix::testing
