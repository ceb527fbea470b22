#pragma once

// The program's own artwork, compiled in. Needs a QGuiApplication.

#include <QIcon>

namespace vl::data {

// The program's icon "MAINICON", with its 16 × 16 and 32 × 32 images.
QIcon MainIcon();

// The folder button's 16 × 16 open-folder picture, with its greyed image for the disabled state.
QIcon FolderButtonIcon();

} // namespace vl::data
