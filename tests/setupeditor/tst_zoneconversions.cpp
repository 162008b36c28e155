#include "RuntimeError.h"
#include "ZoneConversions.h"

#include <QTest>

namespace {

const QDate kToday(2026, 12, 7);

using Conversion = DateValue (*)(DateValue, const ZoneValues&, const QDate&);

DateValue timeOfDay(int h, int m, int s = 0) {
    return datevalue::fromTime(QTime(h, m, s));
}

DateValue at(const QDate& day, int h, int m) {
    return datevalue::fromQDateTime(QDateTime(day, QTime(h, m)));
}

} // namespace

Q_DECLARE_METATYPE(Conversion)

class TestZoneConversions : public QObject {
    Q_OBJECT

private slots:
    void namedConversions_data() {
        QTest::addColumn<Conversion>("conversion");
        QTest::addColumn<double>("local");
        QTest::addColumn<float>("other");
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("expected");
        const auto row = [](const char* name, Conversion c, double local, float other,
                            DateValue input, DateValue expected) {
            QTest::newRow(name) << c << local << other << input << expected;
        };
        const QDate christmas(2026, 12, 25);
        row("07:00 at GMT-5 is 12:00 GMT", LocalToGMT, 16, 0, timeOfDay(7, 0), timeOfDay(12, 0));
        row("07:00 at GMT+10 is 21:00 GMT, a time of day", LocalToGMT, 1, 0, timeOfDay(7, 0),
            timeOfDay(21, 0));
        row("half-hour zone 15.5: 08:00 is 12:30 GMT", LocalToGMT, 15.5, 0, timeOfDay(8, 0),
            timeOfDay(12, 30));
        row("full date crosses back a day", LocalToGMT, 1, 0, at(christmas, 7, 0),
            at(christmas.addDays(-1), 21, 0));
        // A time of day comes back in whole minutes, after rounding to the second.
        row("seconds dropped", LocalToGMT, 16, 0, timeOfDay(7, 0, 40), timeOfDay(12, 0));
        row("rounded to the second first", LocalToGMT, 16, 0, timeOfDay(7, 0, 59) + 0.6 / 86'400.0,
            timeOfDay(12, 1));
        row("Other time to GMT uses the Other value", OtherToGMT, 1, 16, timeOfDay(16, 0),
            timeOfDay(21, 0));
        row("GMT to a half-hour Local zone: 12:00 at index 6 - 0.5 is 17:30", GMTToLocal, 5.5, 0,
            timeOfDay(12, 0), timeOfDay(17, 30));
        row("GMT to Other, across midnight forward", GMTToOther, 0, 0, timeOfDay(20, 0),
            timeOfDay(7, 0));
        row("Local GMT+10 to Other GMT-5: 07:00 AM is 04:00 PM", LocalToOther, 1, 16,
            timeOfDay(7, 0), timeOfDay(16, 0));
        row("and back", OtherToLocal, 1, 16, timeOfDay(16, 0), timeOfDay(7, 0));
        row("with a date: 25 Dec 07:00 becomes 24 Dec 16:00", LocalToOther, 1, 16,
            at(christmas, 7, 0), at(christmas.addDays(-1), 16, 0));
        row("same zone leaves the time alone", LocalToOther, 4, 4, timeOfDay(9, 15),
            timeOfDay(9, 15));
    }
    void namedConversions() {
        QFETCH(Conversion, conversion);
        QFETCH(double, local);
        QFETCH(float, other);
        QFETCH(double, input);
        QFETCH(double, expected);
        const DateValue result = conversion(input, ZoneValues{local, other}, kToday);
        QCOMPARE(result < 1.0, expected < 1.0);
        if (expected < 1.0) {
            QCOMPARE(result, expected);
            return;
        }
        // Within a millisecond: the shift is worked out in single precision.
        QVERIFY2(qAbs(result - expected) < 1.0 / 86'400'000.0,
                 qPrintable(datevalue::toQDateTime(result).toString(Qt::ISODateWithMs)));
    }

    void fullDateKeepsSinglePrecisionShift() {
        // 5 hours is not exact in single precision; the stored alarms were computed that way.
        const DateValue t = at(QDate(2026, 3, 1), 8, 0);
        const DateValue result = ConvertZoneTime(t, 16.0F, 11.0F, kToday);
        QCOMPARE(result, t + static_cast<double>(5.0F / 24.0F));
        QVERIFY(result != t + 5.0 / 24.0);
    }

    void timeOfDayDoesNotDependOnToday() {
        const ZoneValues zones{1.0, 16.0F};
        for (const QDate& day : {QDate(2026, 1, 1), QDate(2026, 3, 29), QDate(2024, 2, 29)})
            QCOMPARE(LocalToGMT(timeOfDay(7, 0), zones, day), timeOfDay(21, 0));
    }

    void roundTrips_data() {
        QTest::addColumn<double>("zone");
        for (const double zone : {0.0, 1.0, 5.5, 10.5, 11.0, 15.5, 16.0, 23.0, -0.5})
            QTest::newRow(qPrintable(QString::number(zone))) << zone;
    }
    void roundTrips() {
        QFETCH(double, zone);
        const ZoneValues zones{zone, static_cast<float>(zone)};
        for (int minutes = 0; minutes < 24 * 60; minutes += 7) {
            const DateValue t = timeOfDay(minutes / 60, minutes % 60);
            QCOMPARE(LocalToGMT(GMTToLocal(t, zones, kToday), zones, kToday), t);
            QCOMPARE(OtherToGMT(GMTToOther(t, zones, kToday), zones, kToday), t);
        }
        const ZoneValues apart{zone, 16.0F};
        const DateValue dated = at(QDate(2026, 12, 25), 7, 0);
        const DateValue back = OtherToLocal(LocalToOther(dated, apart, kToday), apart, kToday);
        QVERIFY(qAbs(back - dated) < 1.0 / 86'400'000.0);
    }

    void leavingTheDateRangeIsAnOverflow() {
        try {
            ConvertZoneTime(at(QDate(9999, 12, 31), 23, 0), 23.0F, 11.0F, kToday);
            QFAIL("no error");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.description(), QStringLiteral("Overflow"));
        }
    }
};

QTEST_GUILESS_MAIN(TestZoneConversions)
#include "tst_zoneconversions.moc"
