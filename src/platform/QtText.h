#pragma once
// The boundary between our GBK Text and Qt's UTF-16 QString. Every Text that
// goes to a widget, and every string that comes back, passes through here.

#include <QString>

#include "common/Text.h"

namespace tallowin::platform_gui {

// GBK bytes to UTF-16; invalid sequences become U+FFFD.
QString ToQString(const common::Text& text);
// UTF-16 to GBK; characters GBK lacks become "?". A NUL ends the text.
common::Text FromQString(const QString& text);

}  // namespace tallowin::platform_gui
