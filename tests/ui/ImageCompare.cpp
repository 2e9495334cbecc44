#include "tests/ui/ImageCompare.h"

#include <QDir>
#include <cstdlib>

namespace tavix::ui::test {

testing::AssertionResult matchesReference(const QImage& actualImage, const QString& name,
                                          int channelTolerance, double maxDifferingFraction) {
    const QString path = QDir(QStringLiteral(TAVIX_UI_REFERENCES)).filePath(name + ".png");
    const QImage actual = actualImage.convertToFormat(QImage::Format_ARGB32);
    if (qEnvironmentVariableIntValue("TAVIX_UPDATE_REFERENCES") == 1) {
        if (!actual.save(path, "PNG"))
            return testing::AssertionFailure() << "cannot write " << path.toStdString();
        return testing::AssertionSuccess();
    }
    const QImage expected = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (expected.isNull())
        return testing::AssertionFailure()
               << "no reference " << path.toStdString() << "; run tests/ui/update-references.sh";

    auto fail = [&](const std::string& why) {
        const QString actualPath = name + ".actual.png";
        actual.save(actualPath, "PNG");
        return testing::AssertionFailure()
               << name.toStdString() << ": " << why << " (actual image in "
               << QDir::current().filePath(actualPath).toStdString() << ")";
    };
    if (actual.size() != expected.size())
        return fail("size " + std::to_string(actual.width()) + "x" +
                    std::to_string(actual.height()) + ", reference " +
                    std::to_string(expected.width()) + "x" + std::to_string(expected.height()));

    qsizetype differing = 0;
    int worst = 0;
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const int delta = std::max(
                {std::abs(qRed(a[x]) - qRed(e[x])), std::abs(qGreen(a[x]) - qGreen(e[x])),
                 std::abs(qBlue(a[x]) - qBlue(e[x])), std::abs(qAlpha(a[x]) - qAlpha(e[x]))});
            worst = std::max(worst, delta);
            if (delta > channelTolerance) ++differing;
        }
    }
    const double fraction = static_cast<double>(differing) / (actual.width() * actual.height());
    if (fraction > maxDifferingFraction)
        return fail(std::to_string(differing) + " pixels differ by more than " +
                    std::to_string(channelTolerance) + " (worst " + std::to_string(worst) + ")");
    return testing::AssertionSuccess();
}

}  // namespace tavix::ui::test
