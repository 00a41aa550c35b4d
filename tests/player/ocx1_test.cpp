#include "player/ocx1.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMediaPlayer>
#include <QSlider>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/test_files.h"

namespace {

using sonatag::test::MakeMp3;
using sonatag::test::TempDir;

// Generous: playback starts asynchronously in the media backend. Not a speed limit.
constexpr int kTimeoutMs = 20000;

bool WaitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(kTimeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// What the player went through: a short file may already have played to its end when
// the test looks, so states and progress are recorded as they happen.
class PlaybackLog {
public:
    // Made right after put_URL: play() may already have changed the state by then.
    explicit PlaybackLog(QMediaPlayer* player) : playing_(player->playbackState() == QMediaPlayer::PlayingState) {
        QObject::connect(player, &QMediaPlayer::playbackStateChanged, &context_,
                         [this](QMediaPlayer::PlaybackState state) {
                             playing_ |= state == QMediaPlayer::PlayingState;
                         });
        QObject::connect(player, &QMediaPlayer::positionChanged, &context_,
                         [this](qint64 position) { progressed_ |= position > 0; });
    }
    // True once the player was playing and the position moved on.
    bool WaitUntilPlayed() {
        return WaitFor([this] { return playing_ && progressed_; });
    }

private:
    QObject context_;
    bool playing_;
    bool progressed_ = false;
};

class Ocx1Test : public ::testing::Test {
protected:
    QMediaPlayer* player() const { return ocx.findChild<QMediaPlayer*>(); }
    QLabel* statusLabel() const { return ocx.findChild<QLabel*>("statusLabel"); }
    QString status() const { return statusLabel()->text(); }
    QToolButton* playPause() const { return ocx.findChild<QToolButton*>("playPauseButton"); }

    TempDir dir;
    COcx1 ocx;
};

TEST_F(Ocx1Test, StartsEmptyAndPlaysWithTheStoredSettings) {
    EXPECT_EQ(COcx1::GetClsid(), QUuid(QStringLiteral("{6BF52A52-394A-11D3-B153-00C04F79FAA6}")));
    EXPECT_EQ(ocx.get_URL(), QString());
    EXPECT_EQ(player(), nullptr);  // the media backend is set up with the first file
    EXPECT_EQ(ocx.findChild<QSlider*>("volumeSlider")->value(), 50);
    EXPECT_FALSE(playPause()->isEnabled());

    const std::string path = dir.file("tone.mp3");
    MakeMp3(path);
    ocx.put_URL(QString::fromStdString(path));
    ASSERT_NE(player(), nullptr);
    EXPECT_EQ(player()->playbackRate(), 1.0);
    EXPECT_GT(player()->audioOutput()->volume(), 0.0f);
    EXPECT_LT(player()->audioOutput()->volume(), 1.0f);
}

TEST_F(Ocx1Test, GetUrlReturnsExactlyWhatWasPut) {
    const QString path = QString::fromStdString(dir.file("Song 一.mp3"));
    ocx.put_URL(path);
    EXPECT_EQ(ocx.get_URL(), path);
    ocx.put_URL(path.toLower());
    EXPECT_EQ(ocx.get_URL(), path.toLower());
    EXPECT_NE(ocx.get_URL(), path);
    const QString relative = QStringLiteral("./a/../b.mp3 ");
    ocx.put_URL(relative);
    EXPECT_EQ(ocx.get_URL(), relative);
}

TEST_F(Ocx1Test, PlaysAtOnceAgainOnTheSameUrlAndUnloadsOnEmpty) {
    const std::string path = dir.file("播放 #1.mp3");
    MakeMp3(path);
    ocx.put_URL(QString::fromStdString(path));
    PlaybackLog log(player());
    ASSERT_TRUE(log.WaitUntilPlayed());
    EXPECT_EQ(player()->source(), QUrl::fromLocalFile(QString::fromStdString(path)));
    EXPECT_TRUE(status().isEmpty());

    ocx.put_URL(QString::fromStdString(path));  // the same file: plays once more
    PlaybackLog again(player());
    EXPECT_TRUE(again.WaitUntilPlayed());

    ocx.put_URL(QString());
    EXPECT_EQ(ocx.get_URL(), QString());
    EXPECT_TRUE(player()->source().isEmpty());
    EXPECT_EQ(player()->playbackState(), QMediaPlayer::StoppedState);
    EXPECT_FALSE(playPause()->isEnabled());
}

TEST_F(Ocx1Test, UnplayableFilesAreShownAndLeaveThePlayerUsable) {
    ocx.put_URL(QString::fromStdString(dir.file("<b>不在&.mp3")));
    EXPECT_EQ(status(), QStringLiteral("无法播放“<b>不在&.mp3”：文件不存在"));
    EXPECT_TRUE(statusLabel()->toolTip().contains(QStringLiteral("&lt;b&gt;不在&amp;.mp3")));
    EXPECT_EQ(player(), nullptr);

    const std::string path = dir.file("tone.mp3");
    MakeMp3(path);
    ocx.put_URL(QString::fromStdString(path));
    PlaybackLog log(player());
    EXPECT_TRUE(log.WaitUntilPlayed());
    EXPECT_TRUE(status().isEmpty());

    const std::string text = dir.file("text.mp3");
    sonatag::test::WriteBytes(text, std::string(4096, 'x'));
    ocx.put_URL(QString::fromStdString(text));
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
    for (const QWidget* control : ocx.findChildren<QWidget*>()) {
        EXPECT_TRUE(ocx.rect().contains(control->geometry())) << control->objectName().toStdString();
    }
    EXPECT_TRUE(ocx.grab().save(QStringLiteral("player.png")));
}

}  // namespace
