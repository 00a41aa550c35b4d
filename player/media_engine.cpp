#include "player/media_engine.h"

#include <QCoreApplication>
#include <QLibrary>

std::unique_ptr<MediaEngine> LoadMediaEngine(QObject* parent, MediaEngine::Events events, QString& problem) {
    // Where the module lies from the program's folder, in the build tree as when installed.
    QLibrary module(QCoreApplication::applicationDirPath() + QStringLiteral("/" SONATAG_MEDIA_MODULE));
    const auto create = reinterpret_cast<CreateMediaEngineFunction>(module.resolve(kCreateMediaEngineSymbol));
    if (create == nullptr) {
        problem = module.errorString();
        return nullptr;
    }
    // The module stays loaded for the life of the process.
    return std::unique_ptr<MediaEngine>(create(parent, std::move(events)));
}
