#include "player/ocx1.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "player/media_engine.h"

namespace {

// The player's initial settings: it starts playing a file as soon as it is given one, at normal
// speed, at half volume, with all its controls shown.
constexpr bool kAutoStart = true;
constexpr double kPlaybackRate = 1.0;
constexpr int kInitialVolume = 50;  // of 100

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

QString ReasonFor(MediaEngine::Failure failure) {
    switch (failure) {
        case MediaEngine::Failure::Format:
            return QStringLiteral("不支持的文件格式");
        case MediaEngine::Failure::AccessDenied:
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

MediaEngine* COcx1::Engine() {
    if (engine_ != nullptr) return engine_.get();
    MediaEngine::Events events;
    events.stateChanged = [this] { UpdateButtons(); };
    events.positionChanged = [this](qint64 position) { UpdatePosition(position); };
    events.durationChanged = [this](qint64 duration) { UpdateDuration(duration); };
    events.failed = [this](MediaEngine::Failure failure, const QString& detail) {
        // The backend may still call itself playing; the file cannot play, so it is stopped.
        engine_->Stop();
        ShowError(ReasonFor(failure), detail);
        UpdateButtons();
    };
    QString problem;
    engine_ = LoadMediaEngine(this, std::move(events), problem);
    if (engine_ == nullptr) {
        ShowError(QStringLiteral("无法加载播放组件"), problem);
        return nullptr;
    }
    engine_->SetPlaybackRate(kPlaybackRate);
    engine_->SetMuted(mute_->isChecked());
    engine_->SetVolume(volume_->value());
    return engine_.get();
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
    MediaEngine* engine = Engine();
    if (engine == nullptr) return;
    engine->SetSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    if (kAutoStart) engine->Play();
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
    // The buttons and the position slider are enabled only while a file is loaded, so the
    // engine exists whenever they act.
    connect(playPause_, &QToolButton::clicked, this, [this] {
        if (engine_->state() == MediaEngine::State::Playing) {
            engine_->Pause();
        } else {
            engine_->Play();
        }
    });
    connect(stop_, &QToolButton::clicked, this, [this] { engine_->Stop(); });
    connect(mute_, &QToolButton::toggled, this, [this](bool muted) {
        if (engine_ != nullptr) engine_->SetMuted(muted);
        mute_->setIcon(style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
        Describe(mute_, muted ? QStringLiteral("取消静音") : QStringLiteral("静音"));
    });
    // The slider position is already moved when the action fires, its value not yet.
    connect(position_, &QSlider::actionTriggered, this, [this] { engine_->SetPosition(position_->sliderPosition()); });
    connect(volume_, &QSlider::valueChanged, this, [this](int volume) {
        if (engine_ != nullptr) engine_->SetVolume(volume);
    });
}

void COcx1::Unload() {
    if (engine_ != nullptr) engine_->SetSource(QUrl());
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
    const bool loaded = engine_ != nullptr && engine_->HasSource();
    const MediaEngine::State state = loaded ? engine_->state() : MediaEngine::State::Stopped;
    const bool playing = state == MediaEngine::State::Playing;
    playPause_->setEnabled(loaded);
    playPause_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    Describe(playPause_, playing ? QStringLiteral("暂停") : QStringLiteral("播放"));
    stop_->setEnabled(loaded && state != MediaEngine::State::Stopped);
    position_->setEnabled(loaded && engine_->IsSeekable());
}

void COcx1::UpdatePosition(qint64 position) {
    if (!position_->isSliderDown()) position_->setValue(static_cast<int>(position));
    elapsed_->setText(FormatTime(position));
}

void COcx1::UpdateDuration(qint64 duration) {
    position_->setRange(0, static_cast<int>(duration));
    duration_->setText(FormatTime(duration));
}
