// Screenshot comparison: a picture a test renders against the reference picture kept beside the
// test, with a small tolerance for anti-aliasing and hinting differences between machines.
//
// A missing reference, or ZM_UPDATE_SCREENSHOTS=1 in the environment, writes the picture as the
// new reference and fails the comparison, so that a reference is looked at before it is kept.
// A mismatch writes the picture next to the reference as <name>.actual.png.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace forms::testing {

struct ScreenshotTolerance {
    int channel = 64;           // a pixel differs when a colour channel is further apart than this
    double differing = 0.004;   // share of differing pixels allowed
};

inline ::testing::AssertionResult MatchesReference(const QImage& picture, const std::filesystem::path& reference,
                                                   ScreenshotTolerance tolerance = {}) {
    const QImage actual = picture.convertToFormat(QImage::Format_RGB32);
    const QString referenceName = QString::fromStdString(reference.string());
    const char* update = std::getenv("ZM_UPDATE_SCREENSHOTS");
    QImage expected;
    if ((update && std::string(update) == "1") || !expected.load(referenceName)) {
        actual.save(referenceName);
        return ::testing::AssertionFailure() << "wrote the reference " << reference << ": look at it, then run again";
    }
    expected = expected.convertToFormat(QImage::Format_RGB32);
    const auto fail = [&](const std::string& why) {
        std::filesystem::path shown = reference;
        shown.replace_extension(".actual.png");
        actual.save(QString::fromStdString(shown.string()));
        return ::testing::AssertionFailure() << why << "; the picture is " << shown;
    };
    if (expected.size() != actual.size()) {
        return fail("size " + std::to_string(actual.width()) + "x" + std::to_string(actual.height()) +
                    ", reference " + std::to_string(expected.width()) + "x" + std::to_string(expected.height()));
    }
    long long differing = 0;
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            if (std::abs(qRed(a[x]) - qRed(e[x])) > tolerance.channel ||
                std::abs(qGreen(a[x]) - qGreen(e[x])) > tolerance.channel ||
                std::abs(qBlue(a[x]) - qBlue(e[x])) > tolerance.channel)
                ++differing;
        }
    }
    const double share = static_cast<double>(differing) / (static_cast<double>(actual.width()) * actual.height());
    if (share > tolerance.differing)
        return fail(std::to_string(differing) + " pixels differ from the reference " + reference.string());
    return ::testing::AssertionSuccess();
}

}  // namespace forms::testing
