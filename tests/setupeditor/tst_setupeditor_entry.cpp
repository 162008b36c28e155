// Loading a setup into the editor and entering its alarm: list and selection, repeat rule,
// one-time date picker and sound.

#include "EditorFixture.h"

#include <QCalendarWidget>
#include <QFileInfo>
#include <QTimer>

namespace {

const QString kSettings = QStringLiteral("Settings");

// A store section from "key=value" lines.
QMap<QString, QString> section(const QStringList& lines) {
    QMap<QString, QString> keys;
    for (const QString& line : lines)
        keys.insert(line.section(u'=', 0, 0), line.section(u'=', 1));
    return keys;
}

Contents listWithGaps(const QString& current = QStringLiteral("B")) {
    return {{kSettings, section({"LocalIndex=1", "currSetup=" + current, "nbSetup=4", "Setup0=A",
                                 "Setup1=Default", "Setup2=", "Setup3=B", "Setup4=Stale"})},
            {"A", section({"OtherIndex=11", "AlarmTimeGMT=21:00:00", "When= 1"})},
            {"B", section({"OtherIndex=16", "AlarmTimeGMT=2026-12-24 21:00:00", "When= 4",
                           "chkLocalTime=1", "Sound=/home/me/sounds/chime.wav"})}};
}

DateValue day(int y, int m, int d) {
    return datevalue::fromDate(QDate(y, m, d));
}

// A date and a time as the time box shows them.
QString dated(int y, int mo, int d, int h, int mi) {
    return EditorFixture::format(day(y, mo, d), "Short Date") + u' ' + clock12(h, mi);
}

// Runs `action` as soon as the program's next modal window is up, then closes that window.
void whenModalOpens(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
        modal->close();
    });
}

} // namespace

class TestSetupEditorEntry : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreOpensOnAnEmptySetup() {
        EditorFixture f;
        f.open();
        QCOMPARE(f.editor->objectName(), QStringLiteral("frmSetup"));
        QCOMPARE(f.editor->windowTitle(), QStringLiteral("Meridex Setup"));
        QVERIFY(f.names()->isEditable());
        QCOMPARE(f.timeBox()->toolTip(), QStringLiteral("24 hour format"));
        const QStringList captions{"Never (off)", "Every Day", "Week-End", "Week Days", "Once"};
        for (int i = 0; i < captions.size(); ++i)
            QCOMPARE(f.option(i)->text(), captions.at(i));
        for (const char* name :
             {"Frame1", "Label1", "Label2", "Label3", "cmdTryIt", "cmdOK", "cmdSave", "cmdDelete",
              "cmdCancel", "chkLocalTime", "chkOtherTime", "txtAlarmSound"})
            QVERIFY2(f.editor->findChild<QWidget*>(QLatin1String(name)), name);

        QCOMPARE(f.listed(), QStringList());
        QCOMPARE(f.timeBox()->text(), QStringLiteral("00:00"));
        QVERIFY(f.option(0)->isChecked());
        QVERIFY(f.box("chkLocalTime")->isChecked());
        QVERIFY(!f.box("chkOtherTime")->isChecked());
        QCOMPARE(f.editor->pos(), QPoint(0, 0));

        // "Try It" plays whatever sound is set, none included, and reports what cannot be.
        f.press("cmdTryIt");
        QCOMPARE(f.sound.played, QStringList{QString()});
        QCOMPARE(f.messages.texts(), QStringList());
        f.sound.failure = QStringLiteral("No sound server");
        f.press("cmdTryIt");
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("No sound server in PlaySound()")});
    }

    // The list leaves out "Default" and empty names; the editor shows the current setup's alarm.
    void showsTheCurrentSetup_data() {
        QTest::addColumn<Contents>("start");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("when");
        QTest::addColumn<bool>("localTime");
        QTest::addColumn<QString>("sound");
        const auto edited = [](const QString& current, QList<std::array<QString, 3>> edits) {
            Contents c = listWithGaps(current);
            for (const auto& [section, key, value] : edits)
                c[section][key] = value;
            return c;
        };
        // A one-time alarm shows its date, in Local time: 21:00 GMT is 07:00 the next morning.
        const QString christmas = dated(2026, 12, 25, 7, 0);
        const QString localeForm =
            EditorFixture::format(day(2026, 12, 24) + timeOfDay(21, 0), "General Date");
        const QString chime = QStringLiteral("/home/me/sounds/chime.wav");
        QTest::newRow("one-time alarm") << listWithGaps() << 1 << christmas << 4 << true << chime;
        QTest::newRow("stored in the locale's form")
            << edited("B", {{"B", "AlarmTimeGMT", localeForm}}) << 1 << christmas << 4 << true
            << chime;
        // 21:00 GMT at Other zone GMT (index 11).
        QTest::newRow("Other time base") << edited("A", {{"A", "chkLocalTime", "0"}}) << 0
                                         << clock12(21, 0) << 1 << false << QString();
        QTest::newRow("half-hour Local zone") << edited("A", {{kSettings, "LocalIndex", "6"},
                                                              {kSettings, "chk05Local", "1"},
                                                              {"A", "AlarmTimeGMT", "12:00:00"}})
                                              << 0 << clock12(17, 30) << 1 << true << QString();
        // "Default" selects the first entry but shows an empty setup.
        QTest::newRow("Default") << listWithGaps("Default") << 0 << QStringLiteral("00:00") << 0
                                 << true << QString();
    }
    void showsTheCurrentSetup() {
        QFETCH(Contents, start);
        QFETCH(int, entry);
        QFETCH(QString, time);
        QFETCH(int, when);
        QFETCH(bool, localTime);
        QFETCH(QString, sound);
        EditorFixture f(start);
        f.open();
        QCOMPARE(f.listed(), QStringList({"A", "B"}));
        QCOMPARE(f.names()->currentIndex(), entry);
        QCOMPARE(f.editor->editorSetupName(), start[kSettings]["currSetup"]);
        QCOMPARE(f.timeBox()->text(), time);
        QVERIFY(f.option(when)->isChecked());
        QCOMPARE(f.box("chkLocalTime")->isChecked(), localTime);
        QCOMPARE(f.box("chkOtherTime")->isChecked(), !localTime);
        QCOMPARE(f.soundBox()->text(), QFileInfo(sound).fileName());
        QCOMPARE(f.soundBox()->toolTip(), sound);
    }

    void choosingAnEntryStoresItAndReloads() {
        EditorFixture f(listWithGaps());
        f.host.current = QStringLiteral("B");
        f.open();
        f.typeTime(QStringLiteral("03:00"));
        f.chooseEntry(0);
        QCOMPARE(f.store.read(kSettings, "currSetup"), QStringLiteral("A"));
        QCOMPARE(f.host.current, QStringLiteral("B"));
        QCOMPARE(f.editor->editorSetupName(), QStringLiteral("A"));
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));
        QVERIFY(f.option(1)->isChecked());
        QCOMPARE(f.soundBox()->toolTip(), QString());
        QCOMPARE(f.listed(), QStringList({"A", "B"}));
    }

    void onceWithADateSwitchesTimeBaseAcrossMidnight() {
        EditorFixture f(listWithGaps());
        f.open();
        f.tick(f.box("chkOtherTime"));
        QCOMPARE(f.timeBox()->text(), dated(2026, 12, 24, 16, 0));
    }

    void repeatOptionsAddAndDropTheDate() {
        EditorFixture f(listWithGaps("A"));
        f.open();
        // Only a one-time alarm's time box opens the date picker.
        QTest::mouseClick(f.timeBox(), Qt::LeftButton);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));

        f.tick(f.option(4));
        QCOMPARE(f.timeBox()->text(), dated(2026, 12, 7, 7, 0));
        QCOMPARE(f.editor->whenIndex(), 4);
        f.tick(f.option(1));
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));
        f.tick(f.option(4));
        // Choosing "Once" again while it is chosen drops the date.
        f.tick(f.option(4));
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));
        QVERIFY(f.option(4)->isChecked());

        f.typeTime(QStringLiteral("later"));
        f.tick(f.option(2));
        QCOMPARE(f.timeBox()->text(), QString());
        QCOMPARE(f.editor->whenIndex(), 2);
    }

    void datePickerStoresThePickedDayAtOnce() {
        Contents start = listWithGaps();
        start[kSettings]["MonthView.Left"] = "1500";
        start[kSettings]["MonthView.top"] = "750";
        EditorFixture f(start);
        f.open();
        f.typeTime(dated(2026, 12, 25, 8, 15));

        QDate shownDay;
        QPoint shownAt;
        whenModalOpens([&](QWidget* picker) {
            QCOMPARE(picker->objectName(), QStringLiteral("frmMonthView"));
            QCOMPARE(picker->windowTitle(), QStringLiteral("Pick Alarm Date"));
            shownAt = picker->pos();
            auto* calendar = picker->findChild<QCalendarWidget*>(QStringLiteral("MonthView1"));
            QVERIFY(calendar);
            shownDay = calendar->selectedDate();
            emit calendar->clicked(QDate(2026, 12, 30));
            emit calendar->clicked(QDate(2026, 12, 31));
            picker->move(30, 45);
        });
        QTest::mouseClick(f.timeBox(), Qt::LeftButton);

        QCOMPARE(shownDay, QDate(2026, 12, 7));
        QCOMPARE(shownAt, QPoint(100, 50));
        QCOMPARE(f.editor->alarmDate(), day(2026, 12, 31));
        QVERIFY(f.editor->isVisible());
        QCOMPARE(f.timeBox()->text(), dated(2026, 12, 31, 8, 15));
        QCOMPARE(f.store.read("B", "AlarmTimeGMT"), QStringLiteral("2026-12-30 22:15:00"));
        QCOMPARE(f.store.read("B", "When"), QStringLiteral(" 4"));
        QCOMPARE(f.store.read(kSettings, "MonthView.Left"), QStringLiteral("450"));
        QCOMPARE(f.store.read(kSettings, "MonthView.top"), QStringLiteral("675"));
    }

    void datePickerClosedWithoutAClickGivesTheZeroDate() {
        EditorFixture f(listWithGaps());
        f.open();
        whenModalOpens([](QWidget*) {});
        QTest::mouseClick(f.timeBox(), Qt::LeftButton);
        QCOMPARE(f.timeBox()->text(), dated(1899, 12, 30, 7, 0));
        // Written at once, and the zero date holds no date: a time of day alone is stored.
        QCOMPARE(f.store.read("B", "AlarmTimeGMT"), QStringLiteral("21:00:00"));
    }

    void soundBoxChoosesAFile() {
        EditorFixture f(listWithGaps());
        f.open();
        f.chosenFile = QStringLiteral("/srv/sounds/bell.wav");
        QTest::mouseClick(f.soundBox(), Qt::LeftButton);
        QCOMPARE(f.dialogFilters, QStringList{QStringLiteral("WAV files (*.wav) (*.wav)")});
        QCOMPARE(f.soundBox()->text(), QStringLiteral("bell.wav"));
        QCOMPARE(f.soundBox()->toolTip(), QStringLiteral("/srv/sounds/bell.wav"));
        QCOMPARE(f.editor->soundPath(), QStringLiteral("/srv/sounds/bell.wav"));

        // Cancelled: nothing changes.
        f.chosenFile.clear();
        QTest::mouseClick(f.soundBox(), Qt::LeftButton);
        QCOMPARE(f.soundBox()->text(), QStringLiteral("bell.wav"));
        QCOMPARE(f.editor->soundPath(), QStringLiteral("/srv/sounds/bell.wav"));

        // Typing into the box is shown but not taken.
        QTest::keyClicks(f.soundBox(), QStringLiteral("x"));
        f.press("cmdTryIt");
        QCOMPARE(f.sound.played, QStringList{QStringLiteral("/srv/sounds/bell.wav")});
        QCOMPARE(f.messages.texts(), QStringList());
    }

    void nonAsciiNameRoundTrips() {
        EditorFixture f;
        f.open();
        f.typeName(QStringLiteral("Zürich"));
        f.press("cmdSave");
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.store.read(kSettings, "Setup0"), QStringLiteral("Zürich"));
        QCOMPARE(f.store.read(QStringLiteral("Zürich"), "OtherIndex"), QStringLiteral("11"));
    }
};

QTEST_MAIN(TestSetupEditorEntry)
#include "tst_setupeditor_entry.moc"
