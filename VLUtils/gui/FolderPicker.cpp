#include "VLUtils/gui/FolderPicker.h"

#include "platform/gui/Dialogs.h"

#include <QDir>

namespace vl {

bool BrowseForFolder(QWidget *owner, const QString &title, QString &path)
{
    // The picker opens on the current folder, or on the home folder when none is chosen yet.
    const QString start = path.isEmpty() ? QDir::homePath() : path;
    const std::optional<QString> chosen = Dialogs::PickFolder(owner, title, start);
    if (!chosen)
        return false;
    path = *chosen;
    return true;
}

} // namespace vl
