#include <QCoreApplication>
#include <gtest/gtest.h>

// SimProcess finds hvc-sim beside the running executable through the application.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
