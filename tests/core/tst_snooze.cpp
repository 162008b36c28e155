// SPDX-License-Identifier: GPL-3.0-or-later
// The snooze rules with "now" passed in: when a snoozed alarm rings, once, and what a restart,
// a long absence or a deleted setup does to it.
#include "Doubles.h"
#include "Snooze.h"
#include "StoredSnoozes.h"

#include <QTest>

class TestSnooze : public QObject {
    Q_OBJECT

private slots:
    // Steps on Monday 7 December 2026 (UTC), "; " between them: "snooze Tea Cake 5 at 07:00:20"
    // (the person snoozes for 5 minutes, a length not offered counting as the default), "restart"
    // (the list goes through the store and back), "delete Cake" (the setup leaves the alarm
    // table), or a time and what rings then ("-" nothing, "*" late).
    void rules_data() {
        QTest::addColumn<QString>("steps");
        const auto row = [](const char* name, const char* steps) { QTest::newRow(name) << steps; };
        row("due after 5 minutes", "snooze Tea 5 at 07:00:20; 07:05:19 -; 07:05:20 Tea; 07:06 -");
        row("due after 60 minutes", "snooze Tea 60 at 07:00:20; 08:00:19 -; 08:00:20 Tea");
        row("a length not offered", "snooze Tea 7 at 07:00:00; 07:07:00 -; 07:10:00 Tea");
        row("snoozed again: the later time",
            "snooze Tea 5 at 07:00:00; snooze Tea 10 at 07:05:00; 07:05:00 -; 07:15:00 Tea");
        row("each once, in turn",
            "snooze Tea 5 at 07:00:00; snooze Cake 15 at 07:01:00; 07:05:00 Tea; 07:16:10 Cake");
        row("restart before due", "snooze Tea Cake 5 at 07:00:20; restart; 07:05:20 Tea Cake");
        row("restart after due: late", "snooze Tea 5 at 07:00:20; restart; 07:06:20 Tea*; 07:07 -");
        row("an hour late", "snooze Tea 5 at 07:00:20; restart; 08:05:20 Tea*");
        row("more than 60 minutes late: never",
            "snooze Tea 5 at 07:00:20; restart; 08:05:21 -; 08:06:00 -");
        row("a deleted setup", "snooze Tea Cake 5 at 07:00:00; delete Cake; restart; 07:05 Tea");
    }
    void rules() {
        QFETCH(QString, steps);
        const auto secs = [](const QString& time) {
            return QDateTime(QDate(2026, 12, 7), QTime::fromString(time, Qt::ISODate),
                             QTimeZone::utc())
                .toSecsSinceEpoch();
        };
        AlarmTable table{{"Tea", {}, 0, {}}, {"Cake", {}, 0, {}}};
        Snoozes snoozes;
        for (const QString& step : steps.split(QStringLiteral("; "))) {
            QStringList words = step.split(u' ');
            const QString first = words.takeFirst();
            if (first == "snooze") {
                const qint64 at = secs(words.takeLast());
                words.removeLast();
                const int minutes = snoozeMinutes(words.takeLast().toInt());
                snoozes = snoozeSetups(snoozes, words, at, minutes);
            } else if (first == "restart") {
                MemorySettingsStore store;
                writeSnoozes(store, snoozes);
                snoozes = readSnoozes(store);
            } else if (first == "delete") {
                std::erase_if(table, [&](const AlarmEntry& e) { return e.name == words[0]; });
                snoozes = listedSnoozes(snoozes, table);
            } else {
                SnoozeStep step = snoozesAt(snoozes, secs(first));
                QStringList rang;
                for (const SnoozeRing& ring : step.ring)
                    rang << ring.setup + (ring.late ? "*" : "");
                QCOMPARE(rang.join(u' '), words.join(u' ').remove(u'-'));
                snoozes = step.left;
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSnooze)
#include "tst_snooze.moc"
