// Writes screenshot-main.png (the window as it opens) and screenshot-list.png (a filled list
// with one file selected) into the folder given as the only argument.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "tag/cp936.h"
#include "tag/tag_file.h"

namespace {

// The main window with the file dialog answered by the program.
class ShownDlg : public CSonatagDlg {
public:
    QStringList ChooseFiles() override { return chosen; }
    QStringList chosen;
};

// An audio-less file in folder with the given tag, or none when title is empty.
QString SongFile(const QDir& folder, const QString& name, const QString& title = {}, const QString& artist = {},
                 const QString& album = {}) {
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(4096, '\0')) != 4096) return path;
    file.close();
    const auto bytes = [](const QString& text) { return sonatag::Utf8ToCp936(text.toStdString()).bytes; };
    if (!title.isEmpty()) sonatag::WriteTagFields(path.toStdString(), bytes(title), bytes(artist), bytes(album));
    return path;
}

bool Save(QWidget& window, const QString& path) {
    QApplication::processEvents();
    const bool saved = window.grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) return 2;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir temporary;
    QDir music(temporary.path());
    music.mkdir(QStringLiteral("我的音乐"));
    music.cd(QStringLiteral("我的音乐"));

    ShownDlg dlg;
    dlg.show();
    bool saved = Save(dlg, out.filePath(QStringLiteral("screenshot-main.png")));
    dlg.chosen = {SongFile(music, "月亮代表我的心.mp3", "月亮代表我的心", "邓丽君", "岛国之情歌第四集"),
                  SongFile(music, "甜蜜蜜.mp3", "甜蜜蜜", "邓丽君", "甜蜜蜜"), SongFile(music, "夜来香.mp3"),
                  SongFile(music, "但愿人长久.mp3", "但愿人长久", "王菲", "菲靡靡之音"),
                  SongFile(music, "Yesterday Once More.mp3", "Yesterday Once More", "Carpenters", "Now & Then")};
    dlg.OnAdd();
    dlg.m_listFiles->setCurrentRow(1);
    dlg.OnSelchangeFileList();
    saved = Save(dlg, out.filePath(QStringLiteral("screenshot-list.png"))) && saved;
    return saved ? 0 : 1;
}
