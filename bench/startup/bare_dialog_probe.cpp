// The baseline: a plain Qt dialog with Chinese labels, buttons and group boxes, so that it pays
// for the fonts and CJK glyphs that the program's window draws too.
#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "bench/startup/first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ReportFirstPaintAndClose(app);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("对话框"));
    auto* grid = new QGridLayout(&dialog);
    auto* list = new QGroupBox(QStringLiteral("文件列表(共 0 个)"));
    (new QVBoxLayout(list))->addWidget(new QListWidget);
    grid->addWidget(list, 0, 0, 1, 3);
    const char* labels[] = {"标题", "艺术家", "专辑"};
    for (int column = 0; column < 3; ++column) {
        grid->addWidget(new QLabel(QString::fromUtf8(labels[column])), 1, column);
        grid->addWidget(new QLineEdit, 2, column);
    }
    const char* buttons[] = {"添加(&A)", "移除(&R)", "确定(&O)"};
    for (int column = 0; column < 3; ++column)
        grid->addWidget(new QPushButton(QString::fromUtf8(buttons[column])), 3, column);
    dialog.exec();
    return 0;
}
