#pragma once
// Number texts of the worksheets: the integer conversion of cell texts and
// the fixed-point formats the cells are written with. The decimal separator
// is a parameter: the window passes the one of the regional settings.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace kv4 {

// A cell text that is not an integer. Escapes the handler that converted it
// and is shown in the standard error box.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const std::string& text);
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// A conversion error of a worksheet cell, with the place a farmer finds it
// by: "Schlag „<field>“, Spalte „<heading>“".
class CellConversionError : public ConversionError {
  public:
    CellConversionError(const ConversionError& error, int col, int row, std::string place)
        : ConversionError(error), col_(col), row_(row), place_(std::move(place)) {}
    int col() const { return col_; }
    int row() const { return row_; }
    const std::string& place() const { return place_; }

  private:
    int col_;
    int row_;
    std::string place_;
};

// The standard text-to-integer conversion: leading blanks, one sign, decimal
// digits or hexadecimal after "$" or "0x"; nothing behind the number; the
// value must fit a signed 32-bit integer. Throws ConversionError with
// "'<text>' ist kein gültiger Integerwert".
std::int32_t StrToInt(std::string_view text);
std::optional<std::int32_t> TryStrToInt(std::string_view text);

// StrToInt, but an empty text counts as 0.
std::int32_t CellToInt(std::string_view text);

// Nearest whole number, a half going to the even neighbour.
double RoundHalfEven(double value);

// Fixed-point format like "%5.2f": `decimals` digits behind `separator`, the
// last one rounded half away from zero on the exact binary value, no minus
// sign on a value that rounds to zero, padded on the left with blanks to
// `width` and never cut.
std::string FormatFixed(double value, int width, int decimals, char separator);

// "%5d": an integer padded on the left with blanks to `width`.
std::string FormatInt(long long value, int width);

// The general format of real numbers: up to 15 significant digits, no
// trailing zeros, `separator` as decimal separator (0.8 -> "0,8").
std::string FormatGeneral(double value, char separator);

// Reads a decimal number written with `separator`; blanks around the number
// are allowed, an empty text is not a number. nullopt when not a number.
std::optional<double> ParseDecimal(std::string_view text, char separator);

// Text of the standard error box: a full stop is appended when the last
// character sorts after the full stop (letters and digits do; ".", "!", ")"
// and a blank do not).
std::string WithFullStop(const std::string& message);

// Removes leading and trailing blanks and control characters.
std::string Trim(std::string_view text);

}  // namespace kv4
