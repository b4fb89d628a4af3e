#include "worksheets/DecimalSeparator.h"

namespace kv4 {

char CellDecimalSeparator(std::u32string_view separator) {
    if (separator.size() == 1) {
        const char32_t c = separator.front();
        if (c > 0x20 && c < 0x7F && !(c >= '0' && c <= '9') && c != '-' && c != '+')
            return static_cast<char>(c);
    }
    return '.';
}

}  // namespace kv4
