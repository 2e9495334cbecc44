#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace tavix::testing {

// The C locale of a German desktop for the life of the object, as Qt sets it from the user's:
// printf and strtod then write and read "0,5". scripts/install-deps.sh generates the locale.
class DecimalComma {
  public:
    static constexpr const char* kName = "de_DE.UTF-8";

    DecimalComma() : previous_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, kName) != nullptr;
        EXPECT_TRUE(active_) << kName << " is missing: run scripts/install-deps.sh";
    }
    ~DecimalComma() { std::setlocale(LC_ALL, previous_.c_str()); }
    DecimalComma(const DecimalComma&) = delete;
    DecimalComma& operator=(const DecimalComma&) = delete;

    bool active() const { return active_; }

  private:
    std::string previous_;
    bool active_ = false;
};

}  // namespace tavix::testing
