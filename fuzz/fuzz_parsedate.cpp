// Reading text as a date/time (parseDate, CDate) in many locales. Beyond not crashing:
//   - CDate agrees with parseDate, throwing RuntimeError("Type mismatch") where it finds nothing;
//   - a value read back from the program's own texts is the same value: the locale's
//     "General Date" and the locale-independent stored form both round-trip to the second.

#include "DateFormat.h"
#include "DateValue.h"
#include "FuzzInput.h"
#include "RuntimeError.h"

#include <cmath>

namespace {

void roundTrip(DateValue v, const QString& written, const QLocale& locale, const char* form,
               const QString& input) {
    if (written.isEmpty())
        return;
    const std::optional<DateValue> back = parseDate(written, locale);
    const DateValue expected = datevalue::roundToSecond(v);
    if (!back || std::abs(*back - expected) > 0.5 / 86400.0)
        fuzzinput::broken(
            QStringLiteral("%1 \"%2\" (from \"%3\", %4) read back as %5, expected %6")
                .arg(QLatin1String(form), written, input.left(200), locale.name())
                .arg(back ? QString::number(*back, 'g', 17) : QStringLiteral("nothing"))
                .arg(expected, 0, 'g', 17));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzinput::Bytes in(data, size);
    const QLocale& locale = fuzzinput::locales().at(in.byte() % fuzzinput::locales().size());
    const QString text = QString::fromUtf8(in.rest());

    const std::optional<DateValue> parsed = parseDate(text, locale);
    try {
        const DateValue converted = CDate(text, locale);
        if (!parsed || converted != *parsed)
            fuzzinput::broken(QStringLiteral("CDate and parseDate disagree on \"%1\"").arg(text));
    } catch (const RuntimeError& e) {
        if (parsed || e.description() != QLatin1String("Type mismatch"))
            fuzzinput::broken(
                QStringLiteral("CDate threw \"%1\" on \"%2\"").arg(e.description(), text));
    }
    if (!parsed)
        return 0;
    const DateValue v = *parsed;
    if (!std::isfinite(v))
        fuzzinput::broken(QStringLiteral("\"%1\" read as %2").arg(text).arg(v));
    if (!datevalue::isRepresentable(v))
        return 0;
    roundTrip(v, formatDate(v, QStringLiteral("General Date"), locale), locale, "General Date",
              text);
    roundTrip(v, storedDateText(v), locale, "stored form", text);
    // Every pattern the clock draws with must format whatever was read.
    for (const char* pattern : {"hh:mm:ss", "hh:mm:ss AM/PM", "dddd, mmm d yyyy", "dddd", "hh:mm",
                                "hh:mm AM/PM", "Short Date", "Short Time"})
        formatDate(v, QLatin1String(pattern), locale);
    return 0;
}
