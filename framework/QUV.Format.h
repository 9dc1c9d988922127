#pragma once

#include <QString>
#include <QVariantList>

namespace QUV {

// The run-time library's Format: "%" [index ":"] ["-"] [width] ["." precision] type,
// where index, width and precision may be "*" (taken from the next argument, an
// integer). Index is 0-based ("%0:s" is the first argument) and later
// specifiers without index go on from there. Types:
//   d  integer, precision = minimum digits (zero padded)
//   u  integer as unsigned (a negative 32-bit value as its 32-bit pattern)
//   x  integer in upper-case hexadecimal, precision = minimum digits
//   e  floating point "-d,ddd...E+ddd", precision = total digits (default 15)
//   f  fixed "-ddd,ddd", precision = decimals (default 2)
//   g  shortest of fixed and scientific, precision = significant digits (default 15)
//   n  like f with thousand separators
//   m  money: like n with the currency, "1 234,50 kr"
//   p  pointer (void* or QObject* in the QVariant), 16 upper-case hex digits
//   s  string (QString, QChar, QByteArray as UTF-8), precision = maximum length
//   %% a percent sign
// Numbers use the regional settings (RegionalLocale(): decimal comma,
// non-breaking space as thousand separator). Rounding is half away from zero.
// As in the run-time library the argument kinds are strict: d/u/x take integer
// values only, e/f/g/n/m floating-point values only (an int for %f is an error),
// s strings only. Surplus arguments are ignored.
// Failures raise Exception:
//   "Format '<format>' invalid or incompatible with argument"  (bad specifier,
//       argument of the wrong kind)
//   "No argument for format '<format>'"  (fewer arguments than specifiers)
QString Format(const QString &AFormat, const QVariantList &AArgs);

} // namespace QUV

namespace QUV {

// FloatToStrF of the run-time library, regional decimal comma.
enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
QString FloatToStrF(double AValue, TFloatFormat AFormat, int APrecision, int ADigits);
// FloatToStr: ffGeneral, 15 significant digits, "1E20" / "1E-5" for the
// scientific form.
QString FloatToStr(double AValue);

} // namespace QUV
