#include "player/ocx1.h"

#include <QAudio>
#include <QAudioOutput>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The player's initial settings: it starts playing a file as soon as it is given one, at normal
// speed, at half volume, with all its controls shown.
constexpr bool kAutoStart = true;
constexpr double kPlaybackRate = 1.0;
constexpr int kInitialVolume = 50;  // of 100

// Qt 6.4's FFmpeg backend crashes when the machine has no sound device, where GStreamer
// falls back to a silent sink. Qt picks the backend once, with the first media object.
void PreferGStreamerBackend() {
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

QString FormatTime(qint64 milliseconds) {
    const qint64 seconds = milliseconds / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// Why a local file cannot be loaded, or an empty text when it can be tried.
QString ProblemWith(const QFileInfo& file) {
    if (!file.exists()) return QStringLiteral("文件不存在");
    if (!file.isFile() || !file.isReadable()) return QStringLiteral("无法读取文件");
    return {};
}

QString ReasonFor(QMediaPlayer::Error error) {
    switch (error) {
        case QMediaPlayer::FormatError:
            return QStringLiteral("不支持的文件格式");
        case QMediaPlayer::AccessDeniedError:
            return QStringLiteral("没有读取权限");
        default:
            return QStringLiteral("文件已损坏或格式不受支持");
    }
}

// A one-line plain-text label that shortens a text too wide for it with an ellipsis.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.drawText(area, static_cast<int>(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }
};

QToolButton* MakeButton(QWidget* parent, const char* name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QLabel* MakeTimeLabel(QWidget* parent, const char* name, const QString& accessibleName) {
    auto* label = new QLabel(FormatTime(0), parent);
    label->setObjectName(QLatin1String(name));
    label->setAccessibleName(accessibleName);
    label->setToolTip(accessibleName);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00:00")));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void Describe(QWidget* widget, const QString& text) {
    widget->setToolTip(text);
    widget->setAccessibleName(text);
}

}  // namespace

COcx1::COcx1(QWidget* parent) : QWidget(parent) {
    BuildControls();
    volume_->setValue(kInitialVolume);
    ConnectControls();
    UpdateButtons();
}

QMediaPlayer* COcx1::Player() {
    if (player_ != nullptr) return player_;
    PreferGStreamerBackend();
    player_ = new QMediaPlayer(this);
    audio_ = new QAudioOutput(this);
    player_->setAudioOutput(audio_);
    player_->setPlaybackRate(kPlaybackRate);
    audio_->setMuted(mute_->isChecked());
    ApplyVolume(volume_->value());
    ConnectPlayer();
    return player_;
}

COcx1::~COcx1() = default;

void COcx1::put_URL(const QString& path) {
    url_ = path;
    status_->clear();
    status_->setToolTip({});
    if (path.isEmpty()) {
        Unload();
        return;
    }
    const QFileInfo file(path);
    if (const QString problem = ProblemWith(file); !problem.isEmpty()) {
        Unload();
        ShowError(problem);
        return;
    }
    restartedCutStream_ = false;
    restartWhenTimed_ = false;
    Player()->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    if (kAutoStart) player_->play();
}

QString COcx1::get_URL() const {
    return url_;
}

void COcx1::BuildControls() {
    playPause_ = MakeButton(this, "playPauseButton");
    stop_ = MakeButton(this, "stopButton");
    stop_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    Describe(stop_, QStringLiteral("停止"));
    mute_ = MakeButton(this, "muteButton");
    mute_->setCheckable(true);
    mute_->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    Describe(mute_, QStringLiteral("静音"));

    position_ = new QSlider(Qt::Horizontal, this);
    position_->setObjectName(QStringLiteral("positionSlider"));
    Describe(position_, QStringLiteral("播放进度"));
    elapsed_ = MakeTimeLabel(this, "elapsedLabel", QStringLiteral("已播放时间"));
    duration_ = MakeTimeLabel(this, "durationLabel", QStringLiteral("总时长"));

    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setObjectName(QStringLiteral("volumeSlider"));
    volume_->setRange(0, 100);
    volume_->setMaximumWidth(100);
    Describe(volume_, QStringLiteral("音量"));

    status_ = new ElidedLabel(this);
    status_->setObjectName(QStringLiteral("statusLabel"));
    status_->setTextFormat(Qt::PlainText);
    status_->setAccessibleName(QStringLiteral("播放状态"));
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* transport = new QHBoxLayout;
    transport->addWidget(playPause_);
    transport->addWidget(stop_);
    transport->addWidget(elapsed_);
    transport->addWidget(position_, 1);
    transport->addWidget(duration_);

    auto* statusAndVolume = new QHBoxLayout;
    statusAndVolume->addWidget(status_, 1);
    statusAndVolume->addWidget(mute_);
    statusAndVolume->addWidget(volume_);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 0, 2, 0);
    rows->setSpacing(0);
    rows->addLayout(transport);
    rows->addLayout(statusAndVolume);
}

void COcx1::ConnectControls() {
    connect(playPause_, &QToolButton::clicked, this, [this] {
        if (player_->playbackState() == QMediaPlayer::PlayingState) {
            player_->pause();
        } else {
            player_->play();
        }
    });
    connect(stop_, &QToolButton::clicked, this, [this] { player_->stop(); });
    connect(mute_, &QToolButton::toggled, this, [this](bool muted) {
        if (audio_ != nullptr) audio_->setMuted(muted);
        mute_->setIcon(style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
        Describe(mute_, muted ? QStringLiteral("取消静音") : QStringLiteral("静音"));
    });
    // The slider position is already moved when the action fires, its value not yet.
    connect(position_, &QSlider::actionTriggered, this,
            [this] { player_->setPosition(position_->sliderPosition()); });
    connect(volume_, &QSlider::valueChanged, this, &COcx1::ApplyVolume);
}

void COcx1::ConnectPlayer() {
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &COcx1::RestartIfCut, Qt::QueuedConnection);
    connect(player_, &QMediaPlayer::durationChanged, this, &COcx1::RestartWhenTimed);
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &COcx1::UpdateButtons);
    connect(player_, &QMediaPlayer::sourceChanged, this, &COcx1::UpdateButtons);
    connect(player_, &QMediaPlayer::seekableChanged, this, &COcx1::UpdateButtons);
    connect(player_, &QMediaPlayer::positionChanged, this, &COcx1::UpdatePosition);
    connect(player_, &QMediaPlayer::durationChanged, this, &COcx1::UpdateDuration);
    connect(player_, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& detail) {
        if (error != QMediaPlayer::NoError) ShowError(ReasonFor(error), detail);
    });
}

// Qt 6.4's GStreamer backend seeks with the stream's duration as the end point; a seek that
// reaches the decoder before the duration is known (the one made while a file loads, for
// one) cuts the stream to length zero, and it ends at once at position 0. Such a file is
// started once more as soon as its duration is known; playing from the end seeks again.
void COcx1::RestartIfCut() {
    const bool endedAtStart = player_->mediaStatus() == QMediaPlayer::EndOfMedia && player_->position() == 0;
    if (!endedAtStart || restartedCutStream_) return;
    restartedCutStream_ = true;
    restartWhenTimed_ = true;
    RestartWhenTimed();
}

void COcx1::RestartWhenTimed() {
    if (!restartWhenTimed_ || player_->duration() <= 0) return;
    restartWhenTimed_ = false;
    player_->play();
}

void COcx1::Unload() {
    restartWhenTimed_ = false;
    if (player_ == nullptr) return;
    player_->stop();
    player_->setSource(QUrl());
}

void COcx1::ShowError(const QString& reason, const QString& detail) {
    const QString message = QStringLiteral("无法播放“%1”：%2");
    status_->setText(message.arg(QFileInfo(url_).fileName(), reason));
    QString full = message.arg(url_, reason);
    if (!detail.isEmpty()) full += QLatin1Char('\n') + detail;
    // Tooltips guess at rich text; an escaped paragraph shows a file name as it is.
    status_->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(full.toHtmlEscaped()));
}

void COcx1::UpdateButtons() {
    const bool loaded = player_ != nullptr && !player_->source().isEmpty();
    const QMediaPlayer::PlaybackState state = loaded ? player_->playbackState() : QMediaPlayer::StoppedState;
    const bool playing = state == QMediaPlayer::PlayingState;
    playPause_->setEnabled(loaded);
    playPause_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    Describe(playPause_, playing ? QStringLiteral("暂停") : QStringLiteral("播放"));
    stop_->setEnabled(loaded && state != QMediaPlayer::StoppedState);
    position_->setEnabled(loaded && player_->isSeekable());
}

void COcx1::UpdatePosition(qint64 position) {
    if (!position_->isSliderDown()) position_->setValue(static_cast<int>(position));
    elapsed_->setText(FormatTime(position));
}

void COcx1::UpdateDuration(qint64 duration) {
    position_->setRange(0, static_cast<int>(duration));
    duration_->setText(FormatTime(duration));
}

void COcx1::ApplyVolume(int volume) {
    if (audio_ == nullptr) return;
    audio_->setVolume(
        QAudio::convertVolume(volume / 100.0, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
}
