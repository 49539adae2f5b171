// The one main of every GoogleTest executable. The application object lets
// SimProcess find hvc-sim beside the running executable and gives Qt's event
// machinery (timers, serial ports) a home.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // hvcctl records every transfer in the user's data folder: a test's go into a
    // folder of its own, as do those of the programs it starts.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
