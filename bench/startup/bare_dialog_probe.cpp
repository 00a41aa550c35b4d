// The baseline: a Qt program that shows nothing but an empty dialog.
#include <QApplication>
#include <QDialog>

#include "bench/startup/first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ReportFirstPaintAndClose(app);
    QDialog dialog;
    dialog.exec();
    return 0;
}
