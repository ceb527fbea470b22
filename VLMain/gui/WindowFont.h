#pragma once

// The main window's font, and the check behind its choice.

#include <QFont>
#include <QString>

#include <future>

namespace vl {

// "MS Sans Serif" at 11 pixels where it is installed; else a sans-serif face of the same
// metrics, so that the captions fit the layout's sizes, else the desktop's sans-serif.
QFont WindowFont();

// Starts WindowFont() on a worker thread. The choice reads the system's font configuration on
// first use, which takes several milliseconds and needs nothing of the window, so the window
// prepares its dictionaries meanwhile.
std::future<QFont> StartWindowFont();

// True when an 11-pixel font asking for this family gets it, not a substitute: what QFontInfo
// tells, but answered from the font database's list, without loading fonts, when the family is
// missing.
bool FontFamilyInstalled(const QString &family);

} // namespace vl
