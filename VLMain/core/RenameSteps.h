#pragma once

// One file's rename within its folder, in two steps through a temporary name, never replacing a
// file, and the texts that tell the user why a rename failed.

#include "VLMain/core/JournalFormat.h"
#include "platform/core/FileSystem.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace vl {

// The result of one rename.
struct RenameResult
{
    bool renamed = false;
    QString reason;     // why it failed, in the user's language
    bool leftAtTemp = false; // the file could not be moved back and still has the temporary name
};

// The temporary name of a file: its name with its dot, followed by ".tmp" («README..tmp»).
QByteArray TemporaryName(const QByteArray &diskName);

// Told where the file stands after each step: AtTemp, then Renamed, or AtOld or LeftAtTemp.
using StepObserver = std::function<void(StepState)>;

RenameResult RenameInTwoSteps(FileSystem &fs, const QByteArray &folder, const QByteArray &oldName,
                              const QByteArray &tempName, const QByteArray &newName,
                              const StepObserver &observer = {});

// A failure reason for an errno of the rename calls.
QString DescribeError(int error);

// A name in the guillemets the messages put around names.
QString Quoted(const QString &name);

} // namespace vl
