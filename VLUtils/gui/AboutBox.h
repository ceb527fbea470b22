#pragma once

// The About window: what the program is, its version, the sizes of the two spelling lists and
// the copyright line. Built at run time on each opening, shown modally, and destroyed.

#include "VLUtils/core/VersionInfo.h"

#include <QString>
#include <QStringView>

namespace vl {

// The window's text, as it is composed: the description, "\r", the version line with the two
// counts, "\r\n\n", and the copyright line.
QString AboutText(const TVersionInfo &info, int fullCount, int namesCount);

// The text as the window's label shows it: a carriage return, a line feed, or a carriage return
// followed by a line feed each end a line.
QString LabelText(QStringView text);

// Reads the version data, then builds, shows modally and destroys the About window. fullCount
// and namesCount are the entry counts of the full-name and the name list. Returns when the
// window has been closed.
void ShowAboutBox(int fullCount, int namesCount);

} // namespace vl
