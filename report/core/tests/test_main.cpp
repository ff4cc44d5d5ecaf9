// The core's tests run inside one offscreen Qt application that lives on main's stack, so that
// it outlives every test and is destroyed before the process's static objects.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
