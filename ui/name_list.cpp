#include "ui/name_list.h"

#include <algorithm>

namespace sonatag::ui {

namespace {

constexpr int kMaxNamesShown = 10;

}  // namespace

QString NameList(const QStringList& paths, const QString& more) {
    QString text;
    for (const QString& path : paths.first(std::min<qsizetype>(paths.size(), kMaxNamesShown))) text += u'\n' + path;
    if (paths.size() > kMaxNamesShown) text += u'\n' + more.arg(paths.size() - kMaxNamesShown);
    return text;
}

}  // namespace sonatag::ui
