#include "player/ocx1.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMediaPlayer>
#include <QToolButton>
#include <functional>

#include "tests/support/test_files.h"

namespace sonatag::test {
namespace {

// Generous: playback starts asynchronously in the media backend. Not a speed limit.
bool WaitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(20000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class Ocx1Test : public ::testing::Test {
protected:
    QMediaPlayer* Player() const { return ocx.findChild<QMediaPlayer*>(); }
    QString Status() const { return ocx.findChild<QLabel*>("statusLabel")->text(); }
    bool CanPlay() const { return ocx.findChild<QToolButton*>("playPauseButton")->isEnabled(); }

    // Puts url and tells whether it played and moved on; a short file may have played to its
    // end before the test looks, so the states and progress are recorded as they happen.
    bool PutAndPlay(const QString& url) {
        bool playing = false, progressed = false;
        QObject context;
        ocx.put_URL(url);
        QObject::connect(Player(), &QMediaPlayer::playbackStateChanged, &context,
                         [&](QMediaPlayer::PlaybackState state) { playing |= state == QMediaPlayer::PlayingState; });
        QObject::connect(Player(), &QMediaPlayer::positionChanged, &context,
                         [&](qint64 position) { progressed |= position > 0; });
        playing |= Player()->playbackState() == QMediaPlayer::PlayingState;
        return WaitFor([&] { return playing && progressed; });
    }

    TempDir dir;
    COcx1 ocx;
};

TEST_F(Ocx1Test, SetsUpTheBackendWithTheFirstPlayableFileAndShowsWhatCannotBePlayedAsPlainText) {
    const QString missing = QString::fromStdString(dir.file("<b>不在&.mp3"));
    ocx.put_URL(missing);
    EXPECT_EQ(Status(), QStringLiteral("无法播放“<b>不在&.mp3”：文件不存在"));
    EXPECT_TRUE(ocx.findChild<QLabel*>("statusLabel")->toolTip().contains(QStringLiteral("&lt;b&gt;不在&amp;.mp3")));
    EXPECT_EQ(Player(), nullptr);
    EXPECT_FALSE(CanPlay());

    const QString path = QString::fromStdString(dir.file("播放 #1.mp3"));
    MakeMp3(path.toStdString());
    for (int time = 0; time < 2; ++time) {  // again when put again
        ASSERT_TRUE(PutAndPlay(path));
        EXPECT_EQ(Player()->source(), QUrl::fromLocalFile(path));
        EXPECT_TRUE(Status().isEmpty());
    }
    ocx.put_URL(QString());
    EXPECT_TRUE(Player()->source().isEmpty());
    EXPECT_FALSE(CanPlay());

    WriteBytes(dir.file("text.mp3"), std::string(4096, 'x'));
    ocx.put_URL(QString::fromStdString(dir.file("text.mp3")));
    EXPECT_TRUE(WaitFor([this] { return Status().startsWith(QStringLiteral("无法播放“text.mp3”：")); }))
        << Status().toStdString();
}

}  // namespace
}  // namespace sonatag::test
