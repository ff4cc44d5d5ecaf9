#include "platform/ctl/caret.h"

#include <QApplication>
#include <QPainter>

namespace ctl {

Caret& Caret::Instance() {
    static Caret caret;
    return caret;
}

Caret::Caret() {
    QObject::connect(&blink_, &QTimer::timeout, [this] {
        blinkOn_ = !blinkOn_;
        Changed();
    });
}

int Caret::BlinkInterval() const {
    const int flash = QApplication::cursorFlashTime();
    return flash > 0 ? flash / 2 : 0;
}

void Caret::Changed() {
    if (owner_) owner_->update(Bounds());
}

void Caret::Restart() {
    blinkOn_ = true;
    blink_.stop();
    if (IsShown() && BlinkInterval() > 0) blink_.start(BlinkInterval());
}

bool Caret::Create(QWidget* owner, int width, int height) {
    if (!owner) return false;
    if (owner_) Destroy(owner_);
    owner_ = owner;
    pos_ = QPoint(0, 0);
    size_ = QSize(width > 0 ? width : 1, height > 0 ? height : 1);
    hideCount_ = 1;
    Restart();
    return true;
}

bool Caret::Destroy(QWidget* owner) {
    if (!owner_ || owner_ != owner) return false;
    Changed();
    owner_ = nullptr;
    hideCount_ = 0;
    blink_.stop();
    return true;
}

bool Caret::SetPos(QWidget* owner, int x, int y) {
    if (!owner_ || owner_ != owner) return false;
    Changed();
    pos_ = QPoint(x, y);
    Restart();
    Changed();
    return true;
}

bool Caret::Show(QWidget* owner) {
    if (!owner_ || owner_ != owner) return false;
    if (hideCount_ > 0) --hideCount_;
    Restart();
    Changed();
    return true;
}

bool Caret::Hide(QWidget* owner) {
    if (!owner_ || owner_ != owner) return false;
    ++hideCount_;
    Restart();
    Changed();
    return true;
}

void Caret::Paint(QWidget* widget, QPainter& painter) const {
    if (!widget || owner_ != widget || !IsDrawn()) return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(Bounds(), Qt::white);
    painter.restore();
}

}  // namespace ctl
