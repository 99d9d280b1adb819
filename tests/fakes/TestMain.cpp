#include <QApplication>
#include <gtest/gtest.h>

// Test programs build real widgets; without a display they draw offscreen. The variable must be
// set before QApplication exists, also when ctest's environment does not apply (test discovery).
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Treewright"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
