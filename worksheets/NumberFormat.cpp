#include "worksheets/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>
#include <vector>

namespace kv4 {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PadLeft(std::string text, int width) {
    if (width > 0 && text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

// Infinity and NaN cannot come from a valid cell, but a division by an
// empty cell can produce them; they are written in a readable form.
std::optional<std::string> NonFiniteText(double value) {
    if (std::isnan(value)) return std::string("NAN");
    if (std::isinf(value)) return std::string(value < 0 ? "-INF" : "INF");
    return std::nullopt;
}

}  // namespace

ConversionError::ConversionError(const std::string& text)
    : std::runtime_error("'" + text + "' ist kein gültiger Integerwert"), text_(text) {}

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == n) return std::nullopt;

    // The magnitude may reach 2^31 for a negative number; anything beyond is
    // out of range however many digits follow.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 31;
    std::uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = base == 16 ? HexValue(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) return std::nullopt;
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > kLimit) return std::nullopt;
    }
    if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    if (magnitude == kLimit) return std::nullopt;
    return static_cast<std::int32_t>(magnitude);
}

std::int32_t StrToInt(std::string_view text) {
    if (auto value = TryStrToInt(text)) return *value;
    throw ConversionError(std::string(text));
}

std::int32_t CellToInt(std::string_view text) { return text.empty() ? 0 : StrToInt(text); }

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double below = std::floor(value);
    const double fraction = value - below;  // exact for every finite double
    if (fraction < 0.5) return below;
    if (fraction > 0.5) return below + 1.0;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::string FormatFixed(double value, int width, int decimals, char separator) {
    if (auto text = NonFiniteText(value)) return PadLeft(*text, width);
    // Beyond the finest binary digit every decimal is zero anyway.
    constexpr int kMaxDecimals = 1100;
    decimals = std::clamp(decimals, 0, kMaxDecimals);

    // All the digits of the exact binary value, so the rounding below sees
    // what lies behind the last shown digit instead of an already rounded
    // text. A double with binary exponent e needs at most 53 - e decimals.
    int exponent = 0;
    std::frexp(value, &exponent);
    const int precision = std::clamp(53 - exponent, decimals + 1, kMaxDecimals + 1);
    std::vector<char> buffer(static_cast<std::size_t>(precision) + 400);
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    if (result.ec != std::errc()) return PadLeft("0", width);
    std::string_view exact(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));

    const bool negative = !exact.empty() && exact.front() == '-';
    if (negative) exact.remove_prefix(1);
    const std::size_t point = exact.find('.');
    const std::string_view whole = exact.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : exact.substr(point + 1);

    // Digits kept, then half away from zero: the first dropped digit decides.
    std::string digits(whole);
    digits.append(fraction.substr(0, static_cast<std::size_t>(decimals)));
    if (fraction.size() > static_cast<std::size_t>(decimals) &&
        fraction[static_cast<std::size_t>(decimals)] >= '5') {
        std::size_t k = digits.size();
        while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
        if (k == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[k - 1];
    }

    const std::size_t wholeCount = digits.size() - static_cast<std::size_t>(decimals);
    std::string text;
    const bool zero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
    if (negative && !zero) text.push_back('-');
    text.append(digits, 0, wholeCount);
    if (decimals > 0) {
        text.push_back(separator);
        text.append(digits, wholeCount, std::string::npos);
    }
    return PadLeft(std::move(text), width);
}

std::string FormatInt(long long value, int width) { return PadLeft(std::to_string(value), width); }

std::string FormatGeneral(double value, char separator) {
    if (auto text = NonFiniteText(value)) return *text;
    constexpr int kPrecision = 15;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, kPrecision - 1);
    if (result.ec != std::errc()) return "0";
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));

    // text is "[-]d.ddddddddddddddde[+-]xx".
    const bool negative = text.front() == '-';
    const std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(negative ? 1 : 0, e - (negative ? 1 : 0)))
        if (IsDigit(c)) digits.push_back(c);
    int exponent = 0;
    std::string_view exponentText = text.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) return "0";

    std::string out;
    if (negative) out.push_back('-');
    // Digits before the decimal separator when written without an exponent.
    const int wholeCount = exponent + 1;
    if (wholeCount > kPrecision || wholeCount < -3) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back(separator);
            out.append(digits, 1, std::string::npos);
        }
        out.push_back('E');
        if (exponent < 0) out.push_back('-');
        out += std::to_string(std::abs(exponent));
    } else if (wholeCount <= 0) {
        out.push_back('0');
        out.push_back(separator);
        out.append(static_cast<std::size_t>(-wholeCount), '0');
        out += digits;
    } else {
        const auto whole = static_cast<std::size_t>(wholeCount);
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole);
            out.push_back(separator);
            out.append(digits, whole, std::string::npos);
        }
    }
    return out;
}

std::optional<double> ParseDecimal(std::string_view text, char separator) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

    // Checked here, then handed to from_chars in its own notation: it must
    // not see words like "inf" or a separator it does not know.
    std::string plain;
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    bool seenSeparator = false;
    for (; i < n; ++i) {
        if (IsDigit(text[i])) {
            plain.push_back(text[i]);
            ++mantissaDigits;
        } else if (text[i] == separator && !seenSeparator) {
            plain.push_back('.');
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
        int exponentDigits = 0;
        for (; i < n && IsDigit(text[i]); ++i, ++exponentDigits) plain.push_back(text[i]);
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;

    double value = 0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) return std::nullopt;
    return value;
}

std::string WithFullStop(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

std::string Trim(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace kv4
