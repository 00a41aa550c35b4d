#include "app/sonatag_app.h"

#include <QLibraryInfo>
#include <QTranslator>

#include "app/sonatag_dlg.h"
#include "sonatag/version.h"

CSonatagApp::CSonatagApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Sonatag"));
    setApplicationVersion(QString::fromLatin1(sonatag::kVersion));
    setDesktopFileName(QString::fromLatin1(sonatag::kAppId));
}

void CSonatagApp::InitInstance() {
    InstallQtTranslations(*this);
    CSonatagDlg dlg;
    dlg.AddPathsAtStart(arguments().mid(1));
    dlg.DoModal();
}

bool InstallQtTranslations(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool installed = true;
    for (const char* catalog : {"qtbase_zh_CN", "qtmultimedia_zh_CN"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(catalog), folder) && app.installTranslator(translator)) continue;
        delete translator;
        installed = false;
    }
    return installed;
}
