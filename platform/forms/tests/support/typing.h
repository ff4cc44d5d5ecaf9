// A key as the window system delivers it: pressed on the widget that has the focus, and released
// on whatever has the focus once the press was handled (a handler may have moved it on).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace forms::testing {

inline void PressOnFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyPress(focus, key, modifiers);
    if (QWidget* now = QApplication::focusWidget()) QTest::keyRelease(now, key, modifiers);
}

}  // namespace forms::testing
