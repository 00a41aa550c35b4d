#pragma once

#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <functional>
#include <memory>

class QObject;

// What the player needs of a media backend. Its implementation lives in a module of its own,
// loaded with the first file played, so that starting the program does not load the media
// libraries and their dependencies.
class MediaEngine {
public:
    enum class State { Stopped, Playing, Paused };
    enum class Failure { Format, AccessDenied, Other };

    // Told from the event loop, never from inside a call of the engine's.
    struct Events {
        std::function<void()> stateChanged;           // playing state, source or seekability
        std::function<void(qint64)> positionChanged;  // milliseconds
        std::function<void(qint64)> durationChanged;  // milliseconds
        std::function<void(Failure, const QString&)> failed;
    };

    virtual ~MediaEngine() = default;

    virtual void SetSource(const QUrl& url) = 0;  // an empty url unloads
    virtual bool HasSource() const = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void SetPosition(qint64 milliseconds) = 0;
    virtual void SetVolume(int percent) = 0;  // 0 to 100, as a listener hears it
    virtual void SetMuted(bool muted) = 0;
    virtual void SetPlaybackRate(double rate) = 0;
    virtual State state() const = 0;
    virtual bool IsSeekable() const = 0;
};

// The module's one entry point: an engine whose media objects are children of parent.
using CreateMediaEngineFunction = MediaEngine* (*)(QObject* parent, MediaEngine::Events events);
inline constexpr char kCreateMediaEngineSymbol[] = "SonatagCreateMediaEngine";

// Loads the media module next to the program and makes an engine; nothing, with the reason in
// problem, when the module cannot be loaded.
std::unique_ptr<MediaEngine> LoadMediaEngine(QObject* parent, MediaEngine::Events events, QString& problem);
