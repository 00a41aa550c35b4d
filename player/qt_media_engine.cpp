// The media module: MediaEngine on Qt Multimedia.
#include <QAudio>
#include <QAudioOutput>
#include <QMediaPlayer>

#include "player/media_engine.h"

namespace {

// Qt 6.4's FFmpeg backend crashes when the machine has no sound device, where GStreamer
// falls back to a silent sink. Qt picks the backend once, with the first media object.
void PreferGStreamerBackend() {
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

MediaEngine::Failure FailureOf(QMediaPlayer::Error error) {
    switch (error) {
        case QMediaPlayer::FormatError:
            return MediaEngine::Failure::Format;
        case QMediaPlayer::AccessDeniedError:
            return MediaEngine::Failure::AccessDenied;
        default:
            return MediaEngine::Failure::Other;
    }
}

class QtMediaEngine final : public MediaEngine {
public:
    QtMediaEngine(QObject* parent, Events events) : events_(std::move(events)) {
        PreferGStreamerBackend();
        player_ = new QMediaPlayer(parent);
        audio_ = new QAudioOutput(parent);
        player_->setAudioOutput(audio_);
        Connect();
    }
    ~QtMediaEngine() override {
        delete player_;
        delete audio_;
    }

    void SetSource(const QUrl& url) override {
        restartedCutStream_ = false;
        restartWhenTimed_ = false;
        if (url.isEmpty()) player_->stop();
        player_->setSource(url);
    }
    bool HasSource() const override { return !player_->source().isEmpty(); }
    void Play() override { player_->play(); }
    void Pause() override { player_->pause(); }
    void Stop() override { player_->stop(); }
    void SetPosition(qint64 milliseconds) override { player_->setPosition(milliseconds); }
    void SetVolume(int percent) override {
        audio_->setVolume(
            QAudio::convertVolume(percent / 100.0, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
    }
    void SetMuted(bool muted) override { audio_->setMuted(muted); }
    void SetPlaybackRate(double rate) override { player_->setPlaybackRate(rate); }
    State state() const override {
        switch (player_->playbackState()) {
            case QMediaPlayer::PlayingState:
                return State::Playing;
            case QMediaPlayer::PausedState:
                return State::Paused;
            default:
                return State::Stopped;
        }
    }
    bool IsSeekable() const override { return player_->isSeekable(); }

private:
    void Connect() {
        QObject::connect(
            player_, &QMediaPlayer::mediaStatusChanged, player_, [this] { OnEnd(); }, Qt::QueuedConnection);
        QObject::connect(player_, &QMediaPlayer::durationChanged, player_, [this](qint64 duration) {
            RestartWhenTimed();
            events_.durationChanged(duration);
        });
        const auto stateChanged = [this] { events_.stateChanged(); };
        QObject::connect(player_, &QMediaPlayer::playbackStateChanged, player_, stateChanged);
        QObject::connect(player_, &QMediaPlayer::sourceChanged, player_, stateChanged);
        QObject::connect(player_, &QMediaPlayer::seekableChanged, player_, stateChanged);
        QObject::connect(player_, &QMediaPlayer::positionChanged, player_, events_.positionChanged);
        QObject::connect(player_, &QMediaPlayer::errorOccurred, player_,
                         [this](QMediaPlayer::Error error, const QString& detail) {
                             if (error != QMediaPlayer::NoError) events_.failed(FailureOf(error), detail);
                         });
    }

    // A file played to its end goes back to its start, ready to play again, as players do.
    //
    // Qt 6.4's GStreamer backend seeks with the stream's duration as the end point; a seek that
    // reaches the decoder before the duration is known (the one made while a file loads, for
    // one) cuts the stream to length zero, and it ends at once at position 0. Such a file is
    // started once more as soon as its duration is known.
    void OnEnd() {
        if (player_->mediaStatus() != QMediaPlayer::EndOfMedia) return;
        if (player_->position() > 0) {
            restartedCutStream_ = true;  // its duration is known: its stream is whole
            player_->setPosition(0);
            return;
        }
        if (restartedCutStream_) return;
        restartedCutStream_ = true;
        restartWhenTimed_ = true;
        RestartWhenTimed();
    }

    void RestartWhenTimed() {
        if (!restartWhenTimed_ || player_->duration() <= 0) return;
        restartWhenTimed_ = false;
        player_->play();
    }

    Events events_;
    QMediaPlayer* player_;
    QAudioOutput* audio_;
    bool restartedCutStream_ = false;
    bool restartWhenTimed_ = false;
};

}  // namespace

extern "C" Q_DECL_EXPORT MediaEngine* SonatagCreateMediaEngine(QObject* parent, MediaEngine::Events events) {
    return new QtMediaEngine(parent, std::move(events));
}
