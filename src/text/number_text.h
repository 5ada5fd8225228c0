#pragma once
// Numbers read from and written as text, independent of the process locale.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarvel {

// Result of the leading-number parse.
struct ParsedNumber {
  double value = 0.0;     // 0 when no number was found
  bool found = false;     // a digit (or digits around ".") began the text after blanks/tabs
  bool overflow = false;  // the number does not fit a double (value is then +-infinity)
  std::size_t length = 0;  // characters the number took, the blanks and tabs before it included
};

// Leading-number parse: skips blanks and tabs, optional sign, digits with at most one ".",
// optional exponent introduced by E or D (either case) with optional sign; stops at the first
// character that cannot continue the number. "." whatever the locale. Never reads past the text.
ParsedNumber ParseLeadingNumber(std::string_view text);

// The value of ParseLeadingNumber (0 for no number, +-inf on overflow).
double Val(std::string_view text);

// Whole-text parse for typed options: the leading-number parse must take the entire text
// (blanks and tabs before the number allowed, nothing after it) and give a finite value.
// nullopt for "", "abc", "1,5", "2 m", "1e400".
std::optional<double> ParseWholeNumber(std::string_view text);

// Rounds to the nearest integer, halves to the even neighbour: Round(2.5) = 2, Round(3.5) = 4.
double RoundHalfEven(double x);

// Multiplies by 10^decimals, rounds half-even, divides back.
double RoundToDecimals(double x, int decimals);

// Rounds half-even and converts to a 32-bit integer; false (out untouched) when out of range
// or not finite.
bool ToInt32(double x, int32_t& out);

// Text of a non-finite value in every form: "nan", "-inf" or "inf".
std::string NonFiniteText(double x);

// Shortest text that reads back to the same double ("0.02", "1e-09", "-0", "31.18"), for files
// that programs read; "inf", "-inf", "nan" for non-finite values.
std::string FormatShortest(double x);

// Exact text of a double in hexadecimal, as C's %a writes it in the "C" locale ("0x1.8p+1",
// "-0x0p+0", "inf", "-nan"), for files that only programs read.
std::string FormatHex(double x);

// The value of a whole FormatHex text: an optional "-", then "0x" and hexadecimal digits with a
// "p" exponent, or inf or nan. nullopt for anything else (a decimal number among them).
std::optional<double> ParseHex(std::string_view text);

// Default number-to-text form: C's %.15G ("1E-09", "0.02", "2.86", "1E+15", "-0.5"),
// "inf", "-inf", "nan" for non-finite values, and "0" for negative zero.
std::string FormatDefault(double x);

// Label form: rounded to 3 decimals half-even, no leading zero below 1 (".5", "-.25", "1.235",
// "12", "0"), exponent only from 1E+15 on.
std::string FormatLabel(double x);

// Report forms.
std::string FormatReportPlain(double x);       // FormatDefault with a leading blank when x >= 0
std::string FormatReportScientific(double x);  // "%.12E", leading blank when x >= 0

}  // namespace quarvel
