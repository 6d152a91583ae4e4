#include "platform/QtText.h"

#include <string>

#include "platform/CodePage.h"

namespace tallowin::platform_gui {

QString ToQString(const common::Text& text) {
    const std::u16string wide = platform::MultiByteToWide(text.View(), platform::kCodePageGbk);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

common::Text FromQString(const QString& text) {
    const std::u16string_view wide(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    return common::Text(platform::WideToMultiByte(wide, platform::kCodePageGbk));
}

}  // namespace tallowin::platform_gui
