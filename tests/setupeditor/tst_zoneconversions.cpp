// SPDX-License-Identifier: GPL-3.0-or-later
// Zone arithmetic: the alarm reference time and the setup editor's conversions (the Other clock
// is read from the window in tst_window).

#include "DateFormat.h"
#include "ZoneConversions.h"
#include "ZoneTime.h"

#include <QTest>
#include <functional>

using Shift = std::function<DateValue(DateValue)>;
Q_DECLARE_METATYPE(Shift)

class TestZoneConversions : public QObject {
    Q_OBJECT

private slots:
    // Zone rows: 11 is GMT, 16 GMT-5, 10 GMT+1, 1 GMT+10, 0 GMT+11, 23 GMT-12; a half-hour zone
    // sits 0.5 below its row.
    void shifts_data() {
        QTest::addColumn<Shift>("shift");
        QTest::addColumn<QString>("from"); // stored forms
        QTest::addColumn<QString>("to");
        const Shift reference = [](double t) { return alarmReferenceTime(t, 16, true); };
        const auto convert = [](auto f, double local, float other) {
            return Shift([=](double t) { return f(t, {local, other}, QDate(2026, 12, 7)); });
        };
        const auto row = [](const char* name, const Shift& s, const char* from, const char* to) {
            QTest::newRow(name) << s << QString::fromLatin1(from) << QString::fromLatin1(to);
        };
        // clang-format off
        row("alarm reference: no DST", reference, "2026-12-07 08:00:00", "2026-12-07 12:30:00");
        row("Local half hour to GMT", convert(LocalToGMT, 15.5, 0), "08:00:00", "12:30:00");
        row("Other to Local, in minutes", convert(OtherToLocal, 1, 15.5), "16:00:40", "06:30:00");
        row("a date goes back a day", convert(LocalToOther, 1, 16), "2026-12-25 07:00:00",
            "2026-12-24 16:00:00");
        row("EST to GMT, Local elsewhere", convert(OtherToGMT, 1, 16), "07:00:00", "12:00:00");
        row("GMT to a half-hour Other", convert(GMTToOther, 1, 5.5), "12:00:00", "17:30:00");
        row("GMT to Local, back a day", convert(GMTToLocal, 16, 1), "2026-12-25 03:00:00",
            "2026-12-24 22:00:00");
        // clang-format on
    }
    void shifts() {
        QFETCH(Shift, shift);
        QFETCH(QString, from);
        QTEST(storedDateText(shift(*parseDate(from, QLocale::c()))), "to");
    }
};

QTEST_GUILESS_MAIN(TestZoneConversions)
#include "tst_zoneconversions.moc"
