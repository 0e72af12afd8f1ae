// Test executables run without a display: Qt's offscreen platform, and a private runtime
// directory so lock files of a running program are not touched.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // unless another platform is asked for
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Settings of the user running the tests stay untouched.
    setenv("XDG_CONFIG_HOME", (runtime.path() + QStringLiteral("/config")).toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (runtime.path() + QStringLiteral("/data")).toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
