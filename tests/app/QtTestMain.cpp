#include <gtest/gtest.h>

#include <QCoreApplication>

// The application's objects need a Qt application object and its event loop.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
