// The one main of every GoogleTest executable. The application object lets
// SimProcess find hvc-sim beside the running executable and gives Qt's event
// machinery (timers, serial ports) a home.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
