// A year of ticks, one a second, through the real tick code with a fake clock: every alarm that
// is due rings exactly once, in its minute, and nothing else rings. Some ticks arrive late and
// now and then a second is skipped altogether, as a loaded machine does.
#include "Fixture.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <fstream>
#include <set>

namespace {

struct SoakSetup {
    QString name;
    QString time; // as stored
    QString when;
    QTime gmt;  // the alarm's time of day, GMT
    QDate once; // the date of a one-time alarm
};

long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void oneYearOfTicks() {
        const int localIndex = 16; // GMT-5, with the half hour: GMT-5:30
        const int halfLocal = 1;
        const QList<SoakSetup> setups = {
            {"Daily", "06:30:00", "1", QTime(6, 30), {}},
            {"Daily midnight GMT", "00:00:00", "1", QTime(0, 0), {}},
            {"Week-end", "14:05:00", "2", QTime(14, 5), {}},
            {"Week days", "13:00:00", "3", QTime(13, 0), {}},
            {"Week days same minute", "13:00:00", " 3", QTime(13, 0), {}},
            {"Off", "09:00:00", "0", QTime(9, 0), {}},
            {"Once in March", "2026-03-29 01:30:00", " 4", QTime(1, 30), QDate(2026, 3, 29)},
            {"Once at New Year", "2026-12-31 23:59:00", "4", QTime(23, 59), QDate(2026, 12, 31)},
            {"Once same minute", "2026-07-15 13:00:00", "4", QTime(13, 0), QDate(2026, 7, 15)},
            {"Once gone", "2025-05-05 05:05:00", "4", QTime(5, 5), QDate(2025, 5, 5)},
            {"Unreadable", "half past", "1", QTime(), {}},
            {"No rule", "08:00:00", "", QTime(8, 0), {}},
        };

        MemorySettingsStore::Contents contents;
        contents["Settings"]["LocalIndex"] = QString::number(localIndex);
        contents["Settings"]["chk05Local"] = QString::number(halfLocal);
        contents["Settings"]["nbSetup"] = QString::number(setups.size());
        for (int i = 0; i < setups.size(); ++i) {
            contents["Settings"][QStringLiteral("Setup%1").arg(i)] = setups[i].name;
            auto& section = contents[setups[i].name];
            section["AlarmTimeGMT"] = setups[i].time;
            section["When"] = setups[i].when;
            section["Sound"] = setups[i].name;
        }

        // The oracle: plain calendar arithmetic, independent of the program's day counts.
        // Wall time without a zone: the clock shows what it is given, and stepping it stays cheap.
        const QDateTime start(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
        const int days = qEnvironmentVariableIsSet("SOAK_DAYS")
                             ? qEnvironmentVariableIntValue("SOAK_DAYS")
                             : 365;
        const QDateTime end = start.addDays(days);
        const qint64 shiftSecs = -((11 - localIndex) * 3600 + halfLocal * 1800);
        std::vector<std::pair<qint64, QString>> expected;
        for (QDateTime minute = start; minute < end; minute = minute.addSecs(60)) {
            const QDateTime gmt = minute.addSecs(shiftSecs);
            const int weekday = gmt.date().dayOfWeek(); // 1 Monday .. 7 Sunday
            for (const SoakSetup& s : setups) {
                if (!s.gmt.isValid() || s.gmt.hour() != gmt.time().hour() ||
                    s.gmt.minute() != gmt.time().minute())
                    continue;
                const int rule = s.when.trimmed().isEmpty() ? -1 : s.when.trimmed().toInt();
                const bool due = (rule == 1) || (rule == 2 && weekday >= 6) ||
                                 (rule == 3 && weekday <= 5) || (rule == 4 && s.once == gmt.date());
                if (due)
                    expected.emplace_back(minute.toSecsSinceEpoch() / 60, s.name);
            }
        }

        MainWindowFixture f(contents, start.addSecs(-1));
        f.load();
        QRandomGenerator random(20261206);
        std::vector<std::pair<qint64, QString>> actual;
        qsizetype heard = 0;
        qint64 ticks = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        for (QDateTime t = start; t < end; t = t.addSecs(1)) {
            const quint32 roll = random.bounded(1000u);
            if (roll == 0)
                continue; // a second without a tick
            // Most ticks land just after the second; some arrive up to 900 ms late.
            const int lateMs = roll < 50 ? static_cast<int>(random.bounded(900u)) : 2;
            f.tickAt(t.addMSecs(lateMs));
            ++ticks;
            const QStringList& played = f.sound.played();
            for (; heard < played.size(); ++heard)
                actual.emplace_back(t.toSecsSinceEpoch() / 60, played[heard]);
        }
        qInfo("soak: %lld ticks over %d days in %.1f s, peak resident memory %ld KiB, %zu alarms",
              ticks, days, elapsed.elapsed() / 1000.0, peakResidentKiB(), actual.size());

        const auto firstDifference =
            std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
        if (firstDifference.first != actual.end() || firstDifference.second != expected.end()) {
            const auto describe = [](auto it, auto end) {
                return it == end ? QStringLiteral("nothing")
                                 : QDateTime::fromSecsSinceEpoch(it->first * 60, Qt::UTC)
                                           .toString(Qt::ISODate) +
                                       QLatin1Char(' ') + it->second;
            };
            QFAIL(qPrintable(QStringLiteral("rang %1, expected %2")
                                 .arg(describe(firstDifference.first, actual.end()),
                                      describe(firstDifference.second, expected.end()))));
        }
        // The year holds every kind: daily, week-end, week days, the one-time alarms on their
        // dates, and the two alarms sharing a minute.
        const std::set<QString> names = [&] {
            std::set<QString> n;
            for (const auto& [minute, name] : actual)
                n.insert(name);
            return n;
        }();
        if (days == 365)
            QCOMPARE(names.size(), std::size_t(8));
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
