#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

namespace tavix::ui::test {

// Compares `actual` with the committed reference image `name`.png. Pixels may differ by up to
// `channelTolerance` in each channel; up to `maxDifferingFraction` of them may differ by more.
// On a mismatch the actual image is written next to the test binary as `name`.actual.png.
// With TAVIX_UPDATE_REFERENCES=1 in the environment the reference is rewritten instead.
testing::AssertionResult matchesReference(const QImage& actual, const QString& name,
                                          int channelTolerance = 8,
                                          double maxDifferingFraction = 0.002);

}  // namespace tavix::ui::test
