#include <gtest/gtest.h>
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window keeps its undo journal under XDG_STATE_HOME: never the user's own in a test.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    // Nor the user's settings.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    // Settings the window keeps go to a test folder, never to the user's own.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The media backend leaves allocations of the system's GLib, PulseAudio and GStreamer
// libraries behind at exit; they are not ours, so the leak checker skips them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\n"
           "leak:libpulse.so\n"
           "leak:libgstreamer-1.0.so\n"
           "leak:libgstvulkan-1.0.so\n"
           "leak:vasprintf\n";
}
