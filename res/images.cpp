#include "res/images.h"

// The resources are linked in from a static library, which may leave out their registration
// unless something refers to it. (Outside any namespace, as Q_INIT_RESOURCE requires.)
static void RegisterImages() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(sonatag);
        return true;
    }();
    (void)registered;
}

QIcon MainFrameIcon() {
    RegisterImages();
    QIcon icon;
    for (const char* file : {":/res/sonatag-48.png", ":/res/sonatag-32.png", ":/res/sonatag-16.png"})
        icon.addFile(QString::fromLatin1(file));
    return icon;
}

QPixmap AboutBitmap() {
    RegisterImages();
    return QPixmap(QStringLiteral(":/res/about.png"));
}
