#include "player/ocx1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QToolButton>
#include <functional>

#include "tests/support/test_files.h"
#include "tests/support/widget_testing.h"

namespace sonatag::test {
namespace {

// Generous: playback starts asynchronously in the media backend. Not a speed limit.
bool WaitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(20000);
    while (!condition() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

TEST(Ocx1Test, SetsUpTheBackendWithTheFirstPlayableFileAndShowsWhatCannotBePlayedAsPlainText) {
    TempDir dir;
    COcx1 ocx;
    const auto player = [&] { return ocx.findChild<QMediaPlayer*>(); };
    const auto status = [&] { return ocx.findChild<QLabel*>("statusLabel")->text(); };

    ocx.put_URL(QString::fromStdString(dir.file("<b>不在&.mp3")));
    EXPECT_EQ(status(), QStringLiteral("无法播放“<b>不在&.mp3”：文件不存在"));
    EXPECT_TRUE(ocx.findChild<QLabel*>("statusLabel")->toolTip().contains(QStringLiteral("&lt;b&gt;不在&amp;.mp3")));
    std::filesystem::create_directory(dir.file("folder.mp3"));
    ocx.put_URL(QString::fromStdString(dir.file("folder.mp3")));
    EXPECT_EQ(status(), QStringLiteral("无法播放“folder.mp3”：无法读取文件"));
    EXPECT_EQ(player(), nullptr);

    // Played at once, and again when put again; a short file may have ended before the test
    // looks, so the progress is recorded as it happens.
    const QString path = QString::fromStdString(dir.file("播放 #1.mp3"));
    MakeMp3(path.toStdString());
    for (int time = 0; time < 2; ++time) {
        ocx.put_URL(path);
        bool progressed = false;
        QObject context;
        QObject::connect(player(), &QMediaPlayer::positionChanged, &context, [&](qint64 at) { progressed |= at > 0; });
        EXPECT_TRUE(WaitFor([&] { return progressed; }));
        EXPECT_TRUE(status().isEmpty());
    }
    // Played to its end, it is ready to play again from the start; a file that cannot be
    // played shows as stopped.
    const auto stopped = [&] { return !ocx.findChild<QToolButton*>("stopButton")->isEnabled(); };
    EXPECT_TRUE(WaitFor([&] { return stopped() && ocx.findChild<QSlider*>("positionSlider")->value() == 0; }));
    WriteBytes(dir.file("bad.mp3"), "not audio");
    ocx.put_URL(QString::fromStdString(dir.file("bad.mp3")));
    EXPECT_TRUE(WaitFor([&] { return !status().isEmpty(); }));
    EXPECT_TRUE(stopped());
    ocx.put_URL(QString());
    EXPECT_TRUE(player()->source().isEmpty());
}

}  // namespace
}  // namespace sonatag::test
