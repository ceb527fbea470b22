#include "platform/core/ProcessInfo.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vl {

QString ProgramPath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    // Before (or without) an application object: the kernel's link to the executable.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace vl
