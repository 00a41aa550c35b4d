#pragma once

#include <QString>
#include <QWidget>
#include <memory>

class MediaEngine;
class QLabel;
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

    // Loads a local file and starts playing it; the empty text stops
    // playback and unloads the media.
    void put_URL(const QString& path);
    // The text last given to put_URL, unchanged; empty before the first.
    QString get_URL() const;

private:
    void BuildControls();
    void ConnectControls();
    MediaEngine* Engine();
    void Unload();
    void ShowError(const QString& reason, const QString& detail = {});
    void UpdateButtons();
    void UpdatePosition(qint64 position);
    void UpdateDuration(qint64 duration);

    QString url_;
    // Loaded with the first file put: the media libraries take longer to load and set up
    // than the whole rest of the window.
    std::unique_ptr<MediaEngine> engine_;
    QToolButton* playPause_ = nullptr;
    QToolButton* stop_ = nullptr;
    QToolButton* mute_ = nullptr;
    QSlider* position_ = nullptr;
    QSlider* volume_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QLabel* duration_ = nullptr;
    QLabel* status_ = nullptr;
};
