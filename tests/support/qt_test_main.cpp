#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need one application object for the whole test process. They never use a
// real display, not even when the test list is collected at build time.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
