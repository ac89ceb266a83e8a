// main() for test programs that need a QApplication (offscreen under CTest).
#include <QApplication>
#include <QThreadPool>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Pool threads stay until the end: one that expires while the leak
    // checker stops the world at exit now and then crashes the checker.
    QThreadPool::globalInstance()->setExpiryTimeout(-1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
