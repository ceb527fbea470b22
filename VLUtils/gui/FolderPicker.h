#pragma once

#include <QString>

class QWidget;

namespace vl {

// Runs the folder picker (directories only) with the given title, opening on the current folder
// held in path. True and the chosen folder in path on OK; false and path unchanged on cancel.
bool BrowseForFolder(QWidget *owner, const QString &title, QString &path);

} // namespace vl
