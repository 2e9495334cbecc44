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
        EXPECT_NE(std::setlocale(LC_ALL, kName), nullptr)
            << kName << " is missing: run scripts/install-deps.sh";
    }
    ~DecimalComma() { std::setlocale(LC_ALL, previous_.c_str()); }
    DecimalComma(const DecimalComma&) = delete;
    DecimalComma& operator=(const DecimalComma&) = delete;

  private:
    std::string previous_;
};

}  // namespace tavix::testing
