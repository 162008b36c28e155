// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever text reads as a date/time (in a locale chosen by the input's length), its stored form
// and its "General Date" text read back as the same value.

#include "DateFormat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QList<QLocale> locales{QLocale::c(),      QLocale(u"en_US"), QLocale(u"de_DE"),
                                        QLocale(u"ja_JP"), QLocale(u"ar_EG"), QLocale(u"fi_FI")};
    const QLocale& locale = locales[qsizetype(size) % locales.size()];
    const std::optional<DateValue> value =
        parseDate(QString::fromUtf8(QByteArrayView(data, qsizetype(size))), locale);
    if (!value || !datevalue::isRepresentable(*value))
        return 0;
    for (const QString& text : {storedDateText(*value), formatDate(*value, "General Date", locale)})
        if (parseDate(text, locale) != value)
            std::abort();
    return 0;
}
