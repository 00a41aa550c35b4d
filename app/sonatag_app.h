#pragma once

#include <QApplication>

// The program: InitInstance runs the main dialog modally, and the program ends when it closes.
class CSonatagApp : public QApplication {
    Q_OBJECT

public:
    CSonatagApp(int& argc, char** argv);

    void InitInstance();
};

// Loads Qt's own Chinese texts (standard buttons, file dialog, player messages) into app.
// Returns false when Qt's translations are not installed; the texts then stay English.
bool InstallQtTranslations(QCoreApplication& app);
