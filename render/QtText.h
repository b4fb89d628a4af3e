#pragma once
// The one conversion between the engine's texts (std::string, UTF-8) and
// Qt's, for the window and the export tool alike.
#include <QString>
#include <string>
#include <string_view>

namespace kv4gui {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToStdString(const QString& text) { return text.toStdString(); }

}  // namespace kv4gui
