#include "player/ocx1.h"

#include <gtest/gtest.h>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QToolButton>

#include <functional>

#include "tests/support/test_files.h"

namespace {

using sonatag::test::MakeMp3;
using sonatag::test::TempDir;

// Generous: playback starts asynchronously in the media backend. Not a speed limit.
bool WaitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(20000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Call right after put_URL. A short file may have played to its end before the test looks,
// so the states and progress are recorded as they happen. True once it played and moved on.
bool PlaysThrough(QMediaPlayer* player) {
    bool playing = player->playbackState() == QMediaPlayer::PlayingState, progressed = false;
    QObject context;
    QObject::connect(player, &QMediaPlayer::playbackStateChanged, &context,
                     [&](QMediaPlayer::PlaybackState state) { playing |= state == QMediaPlayer::PlayingState; });
    QObject::connect(player, &QMediaPlayer::positionChanged, &context,
                     [&](qint64 position) { progressed |= position > 0; });
    return WaitFor([&] { return playing && progressed; });
}

class Ocx1Test : public ::testing::Test {
protected:
    QMediaPlayer* player() const { return ocx.findChild<QMediaPlayer*>(); }
    QLabel* statusLabel() const { return ocx.findChild<QLabel*>("statusLabel"); }
    QString status() const { return statusLabel()->text(); }
    bool canPlay() const { return ocx.findChild<QToolButton*>("playPauseButton")->isEnabled(); }

    QString Mp3(const std::string& name) {
        MakeMp3(dir.file(name));
        return QString::fromStdString(dir.file(name));
    }

    TempDir dir;
    COcx1 ocx;
};

TEST_F(Ocx1Test, StartsEmptyAndPlaysAtOnceWithTheStoredSettings) {
    EXPECT_EQ(ocx.get_URL(), QString());
    EXPECT_EQ(player(), nullptr);  // the media backend is set up with the first file
    EXPECT_EQ(ocx.findChild<QSlider*>("volumeSlider")->value(), 50);
    EXPECT_FALSE(canPlay());

    const QString path = Mp3("播放 #1.mp3");
    ocx.put_URL(path);
    ASSERT_NE(player(), nullptr);
    ASSERT_TRUE(PlaysThrough(player()));
    EXPECT_EQ(player()->source(), QUrl::fromLocalFile(path));
    EXPECT_EQ(player()->playbackRate(), 1.0);
    EXPECT_GT(player()->audioOutput()->volume(), 0.0f);
    EXPECT_LT(player()->audioOutput()->volume(), 1.0f);
    EXPECT_TRUE(status().isEmpty());

    ocx.put_URL(path);  // the same file: plays once more
    EXPECT_TRUE(PlaysThrough(player()));

    ocx.put_URL(QString());
    EXPECT_EQ(ocx.get_URL(), QString());
    EXPECT_TRUE(player()->source().isEmpty());
    EXPECT_EQ(player()->playbackState(), QMediaPlayer::StoppedState);
    EXPECT_FALSE(canPlay());
}

TEST_F(Ocx1Test, GetUrlReturnsExactlyWhatWasPut) {
    for (const QString& url : {QString::fromStdString(dir.file("Song 一.mp3")),
                               QString::fromStdString(dir.file("song 一.mp3")), QStringLiteral("./a/../b.mp3 ")}) {
        ocx.put_URL(url);
        EXPECT_EQ(ocx.get_URL(), url);
    }
}

TEST_F(Ocx1Test, UnplayableFilesAreShownAsPlainTextAndLeaveThePlayerUsable) {
    ocx.put_URL(QString::fromStdString(dir.file("<b>不在&.mp3")));
    EXPECT_EQ(status(), QStringLiteral("无法播放“<b>不在&.mp3”：文件不存在"));
    EXPECT_TRUE(statusLabel()->toolTip().contains(QStringLiteral("&lt;b&gt;不在&amp;.mp3")));
    EXPECT_EQ(player(), nullptr);

    ocx.put_URL(Mp3("tone.mp3"));
    EXPECT_TRUE(PlaysThrough(player()));
    EXPECT_TRUE(status().isEmpty());

    sonatag::test::WriteBytes(dir.file("text.mp3"), std::string(4096, 'x'));
    ocx.put_URL(QString::fromStdString(dir.file("text.mp3")));
    EXPECT_TRUE(WaitFor([this] { return status().startsWith(QStringLiteral("无法播放“text.mp3”：")); }))
        << status().toStdString();
}

// The template gives the player 298 x 38 dialog units, about 447 x 62 pixels with the
// dialog font. Writes player.png into the working folder for a look.
TEST_F(Ocx1Test, FitsItsTemplateRectangle) {
    ocx.put_URL(QString::fromStdString(dir.file("一个名字很长很长很长很长很长很长很长的文件.mp3")));
    const QSize rectangle(447, 62);
    EXPECT_LE(ocx.minimumSizeHint().width(), rectangle.width());
    EXPECT_LE(ocx.minimumSizeHint().height(), rectangle.height());
    ocx.resize(rectangle);
    ocx.show();
    QCoreApplication::processEvents();
    for (const QWidget* control : ocx.findChildren<QWidget*>())
        EXPECT_TRUE(ocx.rect().contains(control->geometry())) << control->objectName().toStdString();
    EXPECT_TRUE(ocx.grab().save(QStringLiteral("player.png")));
}

}  // namespace
