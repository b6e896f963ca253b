#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Widget tests need one application object for the whole test process. They never use a
// real display, not even when the test list is collected at build time.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No window or command line that a test starts keeps its change history in the home of
    // the user who runs the tests.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
