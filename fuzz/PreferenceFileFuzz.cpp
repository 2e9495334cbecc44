#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/preferences/linux/PlistLimits.h"
#include "platform/preferences/linux/PlistPreferenceStore.h"

namespace fs = std::filesystem;

namespace tavix::platform {

namespace {

// One folder per process, removed at exit; every input replaces the one domain file in it.
const fs::path& folder() {
    static const auto& path = *new fs::path([] {
        std::string pattern = (fs::temp_directory_path() / "tavix-fuzz-prefs-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        return fs::path(pattern);
    }());
    static const bool cleanup = std::atexit([] {
                                    std::error_code ignored;
                                    fs::remove_all(folder(), ignored);
                                }) == 0;
    (void)cleanup;
    return path;
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::abort();
}

}  // namespace

}  // namespace tavix::platform

// The input is a preference file as found on disk, XML or binary. Reading it and synchronising a
// value into it must not crash, and a synchronise that reports success must have kept the value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavix::platform;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    withinPlistLimits(bytes);

    const auto domain =
        PreferenceDomain::application("com.apple.driver.AppleBluetoothMultitouch.mouse");
    for (const auto& stale : fs::directory_iterator(folder())) fs::remove_all(stale.path());
    PlistPreferenceStore store(folder());
    const auto file = store.fileFor(domain);
    if (!file) std::abort();
    writeFile(*file, bytes);

    for (const char* key : {"MouseButtonMode", "MouseOneFingerDoubleTapGesture",
                            "MouseTwoFingerHorizSwipeGesture", "com.apple.mouse.scaling", ""}) {
        store.copyValue(key, domain);
    }
    store.setValue("MouseButtonMode", std::string("TwoButton"), domain);
    if (!store.synchronize(domain)) return 0;
    PlistPreferenceStore reader(folder());
    const auto value = reader.copyValue("MouseButtonMode", domain);
    if (!value || stringValue(value) != "TwoButton") std::abort();
    return 0;
}
