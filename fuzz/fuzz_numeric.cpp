// The numeric reader: Val over any text, then the 16- and 32-bit conversions every stored
// number goes through. Val never throws and gives a number; a conversion gives a value in its
// range rounded half to even, or throws RuntimeError("Overflow"); nothing else.

#include "FuzzInput.h"
#include "Numeric.h"
#include "RuntimeError.h"

#include <cmath>
#include <limits>

namespace {

template <typename Int, typename Convert>
void checkConversion(double value, Convert convert, const char* name) {
    const double rounded = std::nearbyint(value); // the default rounding mode: half to even
    const bool fits = std::isfinite(value) && rounded >= double(std::numeric_limits<Int>::min()) &&
                      rounded <= double(std::numeric_limits<Int>::max());
    try {
        const Int result = convert(value);
        if (!fits || double(result) != rounded)
            fuzzinput::broken(QStringLiteral("%1(%2) gave %3")
                                  .arg(QLatin1String(name))
                                  .arg(value, 0, 'g', 17)
                                  .arg(result));
    } catch (const RuntimeError& e) {
        if (fits || e.description() != QLatin1String("Overflow"))
            fuzzinput::broken(QStringLiteral("%1(%2) threw \"%3\"")
                                  .arg(QLatin1String(name))
                                  .arg(value, 0, 'g', 17)
                                  .arg(e.description()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzinput::Bytes in(data, size);
    // First byte: how the rest becomes text. UTF-16 reaches characters UTF-8 input rarely makes
    // (other scripts' digits, lone surrogates).
    const bool utf16 = in.byte() & 1;
    const QByteArray bytes = in.rest();
    const QString text =
        utf16 ? QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                   bytes.size() / 2)
              : QString::fromUtf8(bytes);
    const double value = Val(text);
    // Out of range reads as the largest finite double, so a conversion reports Overflow.
    if (!std::isfinite(value))
        fuzzinput::broken(QStringLiteral("Val gave %1 for \"%2\"").arg(value).arg(text.left(200)));
    checkConversion<std::int16_t>(value, CInt16, "CInt16");
    checkConversion<std::int32_t>(value, CInt32, "CInt32");
    try {
        ValInt16(text);
    } catch (const RuntimeError&) {
    }
    return 0;
}
