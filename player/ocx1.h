#pragma once

#include <QString>
#include <QUuid>
#include <QWidget>

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;

// The embedded media player of the main window: plays the local file last given as its URL
// and shows its own transport controls, position, volume and a status line for files it
// cannot play. It never opens a message box.
class COcx1 : public QWidget {
    Q_OBJECT

public:
    explicit COcx1(QWidget* parent = nullptr);
    ~COcx1() override;

    // Loads a local file and, with autoStart on, starts playing it; the empty text stops
    // playback and unloads the media.
    void put_URL(const QString& path);
    // The text last given to put_URL, unchanged; empty before the first.
    QString get_URL() const;

    // The class id under which the main window's template names the player.
    static const QUuid& GetClsid();

private:
    void BuildControls();
    void HideControls();
    void ConnectControls();
    QMediaPlayer* Player();
    void ConnectPlayer();
    void RestartIfCut();
    void RestartWhenTimed();
    void Unload();
    void ShowError(const QString& reason, const QString& detail = {});
    void UpdateButtons();
    void UpdatePosition(qint64 position);
    void UpdateDuration(qint64 duration);
    void ApplyVolume(int volume);

    QString m_url;
    bool m_autoStart = true;
    double m_rate = 1.0;
    bool m_restartedCutStream = false;
    bool m_restartWhenTimed = false;
    // Made on the first file put: setting up the media backend takes longer than the
    // whole rest of the window.
    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QToolButton* m_playPause = nullptr;
    QToolButton* m_stop = nullptr;
    QToolButton* m_mute = nullptr;
    QSlider* m_position = nullptr;
    QSlider* m_volume = nullptr;
    QLabel* m_elapsed = nullptr;
    QLabel* m_duration = nullptr;
    QLabel* m_status = nullptr;
};
