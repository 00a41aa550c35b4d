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

#include <cstdint>

#include "player/player_state_record.h"

// Q_INIT_RESOURCE must be used at global scope; the record lives in a static library.
static void InitPlayerResources() {
    Q_INIT_RESOURCE(player);
}

namespace {

using sonatag::PlayerSettings;
using sonatag::PlayerStateRecord;

const char* const kStateRecordPath = ":/player/player_state.bin";

// The stored settings, or the same values built in when the record is missing or malformed.
PlayerSettings LoadSettings() {
    InitPlayerResources();
    QFile file(kStateRecordPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("COcx1: %s is missing; using the default settings", kStateRecordPath);
        return {};
    }
    const QByteArray bytes = file.readAll();
    try {
        return PlayerStateRecord::Parse(
                   {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())})
            .settings();
    } catch (const sonatag::PlayerStateError& error) {
        qWarning("COcx1: %s; using the default settings", error.what());
        return {};
    }
}

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
    const PlayerSettings settings = LoadSettings();
    m_autoStart = settings.autoStart;
    m_rate = settings.rate;
    BuildControls();
    m_volume->setValue(settings.volume);
    if (settings.uiMode == u"none" || settings.uiMode == u"invisible") HideControls();
    ConnectControls();
    UpdateButtons();
}

QMediaPlayer* COcx1::Player() {
    if (m_player != nullptr) return m_player;
    PreferGStreamerBackend();
    m_player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    m_player->setAudioOutput(m_audio);
    m_player->setPlaybackRate(m_rate);
    m_audio->setMuted(m_mute->isChecked());
    ApplyVolume(m_volume->value());
    ConnectPlayer();
    return m_player;
}

COcx1::~COcx1() = default;

void COcx1::put_URL(const QString& path) {
    m_url = path;
    m_status->clear();
    m_status->setToolTip({});
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
    m_restartedCutStream = false;
    m_restartWhenTimed = false;
    Player()->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    if (m_autoStart) m_player->play();
}

QString COcx1::get_URL() const {
    return m_url;
}

const QUuid& COcx1::GetClsid() {
    static constexpr QUuid kClsid(0x6BF52A52, 0x394A, 0x11D3, 0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6);
    return kClsid;
}

void COcx1::BuildControls() {
    m_playPause = MakeButton(this, "playPauseButton");
    m_stop = MakeButton(this, "stopButton");
    m_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    Describe(m_stop, QStringLiteral("停止"));
    m_mute = MakeButton(this, "muteButton");
    m_mute->setCheckable(true);
    m_mute->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    Describe(m_mute, QStringLiteral("静音"));

    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setObjectName(QStringLiteral("positionSlider"));
    Describe(m_position, QStringLiteral("播放进度"));
    m_elapsed = MakeTimeLabel(this, "elapsedLabel", QStringLiteral("已播放时间"));
    m_duration = MakeTimeLabel(this, "durationLabel", QStringLiteral("总时长"));

    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName(QStringLiteral("volumeSlider"));
    m_volume->setRange(0, 100);
    m_volume->setMaximumWidth(100);
    Describe(m_volume, QStringLiteral("音量"));

    m_status = new ElidedLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setAccessibleName(QStringLiteral("播放状态"));
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* transport = new QHBoxLayout;
    transport->addWidget(m_playPause);
    transport->addWidget(m_stop);
    transport->addWidget(m_elapsed);
    transport->addWidget(m_position, 1);
    transport->addWidget(m_duration);

    auto* statusAndVolume = new QHBoxLayout;
    statusAndVolume->addWidget(m_status, 1);
    statusAndVolume->addWidget(m_mute);
    statusAndVolume->addWidget(m_volume);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 0, 2, 0);
    rows->setSpacing(0);
    rows->addLayout(transport);
    rows->addLayout(statusAndVolume);
}

void COcx1::ConnectControls() {
    connect(m_playPause, &QToolButton::clicked, this, [this] {
        if (m_player->playbackState() == QMediaPlayer::PlayingState) {
            m_player->pause();
        } else {
            m_player->play();
        }
    });
    connect(m_stop, &QToolButton::clicked, this, [this] { m_player->stop(); });
    connect(m_mute, &QToolButton::toggled, this, [this](bool muted) {
        if (m_audio != nullptr) m_audio->setMuted(muted);
        m_mute->setIcon(style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
        Describe(m_mute, muted ? QStringLiteral("取消静音") : QStringLiteral("静音"));
    });
    // The slider position is already moved when the action fires, its value not yet.
    connect(m_position, &QSlider::actionTriggered, this,
            [this] { m_player->setPosition(m_position->sliderPosition()); });
    connect(m_volume, &QSlider::valueChanged, this, &COcx1::ApplyVolume);
}

void COcx1::ConnectPlayer() {
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &COcx1::RestartIfCut, Qt::QueuedConnection);
    connect(m_player, &QMediaPlayer::durationChanged, this, &COcx1::RestartWhenTimed);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &COcx1::UpdateButtons);
    connect(m_player, &QMediaPlayer::sourceChanged, this, &COcx1::UpdateButtons);
    connect(m_player, &QMediaPlayer::seekableChanged, this, &COcx1::UpdateButtons);
    connect(m_player, &QMediaPlayer::positionChanged, this, &COcx1::UpdatePosition);
    connect(m_player, &QMediaPlayer::durationChanged, this, &COcx1::UpdateDuration);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& detail) {
        if (error != QMediaPlayer::NoError) ShowError(ReasonFor(error), detail);
    });
}

void COcx1::HideControls() {
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control != m_status) control->hide();
    }
}

// Qt 6.4's GStreamer backend seeks with the stream's duration as the end point; a seek that
// reaches the decoder before the duration is known (the one made while a file loads, for
// one) cuts the stream to length zero, and it ends at once at position 0. Such a file is
// started once more as soon as its duration is known; playing from the end seeks again.
void COcx1::RestartIfCut() {
    const bool endedAtStart = m_player->mediaStatus() == QMediaPlayer::EndOfMedia && m_player->position() == 0;
    if (!endedAtStart || m_restartedCutStream) return;
    m_restartedCutStream = true;
    m_restartWhenTimed = true;
    RestartWhenTimed();
}

void COcx1::RestartWhenTimed() {
    if (!m_restartWhenTimed || m_player->duration() <= 0) return;
    m_restartWhenTimed = false;
    m_player->play();
}

void COcx1::Unload() {
    m_restartWhenTimed = false;
    if (m_player == nullptr) return;
    m_player->stop();
    m_player->setSource(QUrl());
}

void COcx1::ShowError(const QString& reason, const QString& detail) {
    const QString message = QStringLiteral("无法播放“%1”：%2");
    m_status->setText(message.arg(QFileInfo(m_url).fileName(), reason));
    QString full = message.arg(m_url, reason);
    if (!detail.isEmpty()) full += QLatin1Char('\n') + detail;
    // Tooltips guess at rich text; an escaped paragraph shows a file name as it is.
    m_status->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(full.toHtmlEscaped()));
}

void COcx1::UpdateButtons() {
    const bool loaded = m_player != nullptr && !m_player->source().isEmpty();
    const QMediaPlayer::PlaybackState state = loaded ? m_player->playbackState() : QMediaPlayer::StoppedState;
    const bool playing = state == QMediaPlayer::PlayingState;
    m_playPause->setEnabled(loaded);
    m_playPause->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    Describe(m_playPause, playing ? QStringLiteral("暂停") : QStringLiteral("播放"));
    m_stop->setEnabled(loaded && state != QMediaPlayer::StoppedState);
    m_position->setEnabled(loaded && m_player->isSeekable());
}

void COcx1::UpdatePosition(qint64 position) {
    if (!m_position->isSliderDown()) m_position->setValue(static_cast<int>(position));
    m_elapsed->setText(FormatTime(position));
}

void COcx1::UpdateDuration(qint64 duration) {
    m_position->setRange(0, static_cast<int>(duration));
    m_duration->setText(FormatTime(duration));
}

void COcx1::ApplyVolume(int volume) {
    if (m_audio == nullptr) return;
    m_audio->setVolume(
        QAudio::convertVolume(volume / 100.0, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
}
