#pragma once
// The decimal separator the worksheets are written with, taken from the
// regional settings. Cell texts carry it as one byte, and it must not be
// mistaken for a digit or a sign when a number is read back.
#include <string_view>

namespace kv4 {

// The separator as the settings give it (one or more characters), or '.'
// when it is not a single printable ASCII character other than a digit,
// '+' or '-'.
char CellDecimalSeparator(std::u32string_view separator);

}  // namespace kv4
