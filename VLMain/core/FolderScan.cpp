#include "VLMain/core/FolderScan.h"

#include <QFile>

namespace vl {

QString WithSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

FolderScanner::FolderScanner(FileListModel &model, SortFlags &flags, ScanHooks &hooks,
                             FileSystem &fs) :
    model_(model),
    flags_(flags),
    hooks_(hooks),
    fs_(fs)
{ }

void FolderScanner::ScanFolder(const QString &folder)
{
    if (scanning_) {
        pending_ = folder;
        return;
    }
    scanning_ = true;
    QString current = folder;
    while (!ListOnce(current))
        current = *std::exchange(pending_, std::nullopt);
    scanning_ = false;

    SortAfterScan(model_, flags_);
    hooks_.SetRenameButtonEnabled(!model_.isEmpty());
}

bool FolderScanner::ListOnce(const QString &folder)
{
    model_.Clear();
    hooks_.SetAddButtonEnabled(false);
    // Renaming while the folder is being read could list a renamed file twice.
    hooks_.SetRenameButtonEnabled(false);

    const QByteArray pattern = QFile::encodeName(WithSeparator(folder)) + "*.*";
    // Only which entries are plain files matters here.
    const std::unique_ptr<DirectoryListing> listing = fs_.NewKindListing();
    DirectoryEntry entry;
    int result = listing->Start(pattern, 63, entry);
    if (result != 0)
        return true; // nothing to list; a failed start has released the listing
    // Items reach the list in batches, each when the window's messages are due, so that the
    // list shows every item listed so far whenever the window repaints.
    QList<FileItem> batch;
    FileItemMaker maker;
    int listed = 0;
    while (result == 0) {
        if (entry.name != "." && IsPlainFile(entry.attributes)) {
            batch.append(maker.Make(entry.name));
            batch.back().listedAt = listed++;
            if (hooks_.MessagesDue()) {
                model_.Append(std::exchange(batch, {}));
                hooks_.ProcessMessages();
                if (pending_) {
                    listing->Close();
                    return false;
                }
            }
        }
        result = listing->Next(entry);
    }
    listing->Close();
    // A batch of the whole folder grew by half again at a time: the room it did not fill goes.
    batch.squeeze();
    model_.Append(std::move(batch));
    return true;
}

} // namespace vl
