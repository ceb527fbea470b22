#pragma once

// Reads the plain files directly in one folder into the file list, then sorts it by name part.

#include "VLMain/core/FileListModel.h"
#include "VLMain/core/FileOrder.h"
#include "platform/core/FileSystem.h"

#include <QString>

#include <optional>

namespace vl {

// What a scan needs of the window.
class ScanHooks
{
public:
    virtual ~ScanHooks() = default;
    // Whether the window wants its messages let through now. A window may answer false for a
    // few milliseconds at a time, so that a large folder is not slowed down by repainting after
    // every single file.
    virtual bool MessagesDue() { return true; }
    // Lets the waiting window messages through; called after an added item when messages are due.
    virtual void ProcessMessages() { }
    virtual void SetAddButtonEnabled(bool) { }
    virtual void SetRenameButtonEnabled(bool) { }
};

// Appends the platform's folder separator when the path does not end in one.
QString WithSeparator(const QString &folder);

class FolderScanner
{
public:
    FolderScanner(FileListModel &model, SortFlags &flags, ScanHooks &hooks, FileSystem &fs);

    // Rebuilds the list from the folder. A scan requested while one is running (from inside its
    // message processing) is not run inside it: the running scan drops what it has listed and
    // starts over with the newest folder, so the list never mixes two listings.
    void ScanFolder(const QString &folder);
    bool IsScanning() const { return scanning_; }

private:
    // Lists one folder; false when a newer request took over.
    bool ListOnce(const QString &folder);

    FileListModel &model_;
    SortFlags &flags_;
    ScanHooks &hooks_;
    FileSystem &fs_;
    bool scanning_ = false;
    std::optional<QString> pending_;
};

} // namespace vl
