#pragma once

#include <QString>
#include <QStringList>

namespace sonatag::ui {

// The paths, one a line each after a line break, at most ten of them; then more, with %1 for
// how many were not named.
QString NameList(const QStringList& paths, const QString& more);

}  // namespace sonatag::ui
