// What the edit fields' picture tests share: a field drawn as its container draws it, on magenta
// so that an unpainted pixel shows, and the comparison with its reference picture in images/.
// ZMTEXT_WRITE_REFERENCES=1 in the environment writes the pictures anew.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <string>

namespace zmtext::testing {

// Per-channel difference a pixel may show (font rasterising), and how many pixels may exceed it.
inline constexpr int kScreenshotChannelTolerance = 40;
inline constexpr int kScreenshotPixelsAllowed = 12;

inline int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return a.width() * a.height();
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > kScreenshotChannelTolerance ||
                std::abs(p.green() - q.green()) > kScreenshotChannelTolerance ||
                std::abs(p.blue() - q.blue()) > kScreenshotChannelTolerance)
                ++n;
        }
    return n;
}

// Field `c` laid out at `size` and drawn into a new picture.
template <class C>
QImage DrawField(C& c, QSize size) {
    c.SetControlSize(size);
    c.ComputeTextMetrics();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    c.DrawInto(p, {0, 0, size.width(), size.height()});
    return image;
}

// `image` against images/`stem`.png; a differing picture is left in the temporary folder as
// `stem`_actual.png.
inline void ExpectLikeReference(const std::string& stem, const QImage& image) {
    const QString path = QDir(QString::fromUtf8(ZMTEXT_SOURCE_DIR "/controls/tests/images"))
                             .filePath(QString::fromStdString(stem + ".png"));
    if (std::getenv("ZMTEXT_WRITE_REFERENCES")) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
        return;
    }
    QImage reference(path);
    ASSERT_FALSE(reference.isNull()) << "no reference picture " << path.toStdString();
    reference = reference.convertToFormat(QImage::Format_RGB32);
    const int differing = DifferingPixels(image, reference);
    if (differing > kScreenshotPixelsAllowed)
        image.save(QDir::temp().filePath(QString::fromStdString(stem + "_actual.png")));
    EXPECT_LE(differing, kScreenshotPixelsAllowed)
        << stem << ": the drawing changed (actual picture in the temporary folder)";
}

}  // namespace zmtext::testing
