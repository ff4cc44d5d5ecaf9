// The chain's tests use the application object, whose mouse pointer needs a Qt application: one
// offscreen application on main's stack, outliving every test.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
