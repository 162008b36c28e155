// Loading a setup into the editor and entering its alarm: list and selection, repeat rule,
// one-time date picker and sound.

#include "EditorFixture.h"

#include <QCalendarWidget>
#include <QTimer>

namespace {

const QString kSettings = QStringLiteral("Settings");

Contents listWithGaps() {
    return {{kSettings,
             {{"LocalIndex", "1"},
              {"currSetup", "B"},
              {"nbSetup", "4"},
              {"Setup0", "A"},
              {"Setup1", "Default"},
              {"Setup2", ""},
              {"Setup3", "B"},
              {"Setup4", "Stale"}}},
            {"A", {{"OtherIndex", "11"}, {"AlarmTimeGMT", "21:00:00"}, {"When", " 1"}}},
            {"B",
             {{"OtherIndex", "16"},
              {"AlarmTimeGMT", "2026-12-24 21:00:00"},
              {"When", " 4"},
              {"chkLocalTime", "1"},
              {"Sound", "/home/me/sounds/chime.wav"}}}};
}

DateValue day(int y, int m, int d) {
    return datevalue::fromDate(QDate(y, m, d));
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
    void controlsCarryTheirNames() {
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
    }

    void emptyStoreOpensOnAnEmptySetup() {
        EditorFixture f;
        f.open();
        QCOMPARE(f.listed(), QStringList());
        QCOMPARE(f.timeBox()->text(), QStringLiteral("00:00"));
        QVERIFY(f.option(0)->isChecked());
        QVERIFY(f.box("chkLocalTime")->isChecked());
        QVERIFY(!f.box("chkOtherTime")->isChecked());
        QCOMPARE(f.editor->pos(), QPoint(0, 0));
        QCOMPARE(f.messages.texts(), QStringList());
    }

    void listSkipsDefaultAndEmptyNamesAndSelectsTheCurrentSetup() {
        EditorFixture f(listWithGaps());
        f.open();
        QCOMPARE(f.listed(), QStringList({"A", "B"}));
        QCOMPARE(f.names()->currentIndex(), 1);
        QCOMPARE(f.names()->currentText(), QStringLiteral("B"));
        // A one-time alarm shows its date, in Local time: 21:00 GMT is 07:00 the next morning.
        QVERIFY(f.option(4)->isChecked());
        QCOMPARE(f.timeBox()->text(),
                 EditorFixture::format(day(2026, 12, 25), "Short Date") + u' ' + clock12(7, 0));
        QCOMPARE(f.soundBox()->text(), QStringLiteral("chime.wav"));
        QCOMPARE(f.soundBox()->toolTip(), QStringLiteral("/home/me/sounds/chime.wav"));
    }

    void alarmStoredInTheLocaleFormIsReadToo() {
        Contents start = listWithGaps();
        const DateValue gmt = day(2026, 12, 24) + timeOfDay(21, 0);
        start["B"]["AlarmTimeGMT"] = EditorFixture::format(gmt, "General Date");
        EditorFixture f(start);
        f.open();
        QCOMPARE(f.timeBox()->text(),
                 EditorFixture::format(day(2026, 12, 25), "Short Date") + u' ' + clock12(7, 0));
    }

    void currentDefaultSelectsTheFirstEntryButShowsDefault() {
        Contents start = listWithGaps();
        start[kSettings]["currSetup"] = "Default";
        EditorFixture f(start);
        f.open();
        QCOMPARE(f.names()->currentIndex(), 0);
        QCOMPARE(f.editor->editorSetupName(), QStringLiteral("Default"));
        QCOMPARE(f.timeBox()->text(), QStringLiteral("00:00"));
        QVERIFY(f.option(0)->isChecked());
        QCOMPARE(f.soundBox()->text(), QString());
    }

    void halfHourLocalZone() {
        const Contents start{{kSettings,
                              {{"LocalIndex", "6"},
                               {"chk05Local", "1"},
                               {"currSetup", "X"},
                               {"nbSetup", "1"},
                               {"Setup0", "X"}}},
                             {"X", {{"AlarmTimeGMT", "12:00:00"}, {"When", " 1"}}}};
        EditorFixture f(start);
        f.open();
        QCOMPARE(f.timeBox()->text(), clock12(17, 30));
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

    void otherTimeBaseIsShownInOtherTime() {
        Contents start = listWithGaps();
        start["A"]["chkLocalTime"] = "0";
        start[kSettings]["currSetup"] = "A";
        EditorFixture f(start);
        f.open();
        // 21:00 GMT at Other zone GMT (index 11).
        QCOMPARE(f.timeBox()->text(), clock12(21, 0));
        QVERIFY(f.box("chkOtherTime")->isChecked());
        QVERIFY(!f.box("chkLocalTime")->isChecked());
    }

    void onceWithADateSwitchesTimeBaseAcrossMidnight() {
        Contents start = listWithGaps();
        start["B"]["AlarmTimeGMT"] = "2026-12-24 21:00:00";
        EditorFixture f(start);
        f.open();
        f.tick(f.box("chkOtherTime"));
        QCOMPARE(f.timeBox()->text(),
                 EditorFixture::format(day(2026, 12, 24), "Short Date") + u' ' + clock12(16, 0));
    }

    void repeatOptionsAddAndDropTheDate() {
        Contents start = listWithGaps();
        start[kSettings]["currSetup"] = "A";
        EditorFixture f(start);
        f.open();
        const QString today = EditorFixture::format(day(2026, 12, 7), "Short Date");

        f.tick(f.option(4));
        QCOMPARE(f.timeBox()->text(), today + u' ' + clock12(7, 0));
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
        f.typeTime(EditorFixture::format(day(2026, 12, 25), "Short Date") + u' ' + clock12(8, 15));

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
        QCOMPARE(f.timeBox()->text(),
                 EditorFixture::format(day(2026, 12, 31), "Short Date") + u' ' + clock12(8, 15));
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
        QCOMPARE(f.timeBox()->text(),
                 EditorFixture::format(day(1899, 12, 30), "Short Date") + u' ' + clock12(7, 0));
        // Written at once, and the zero date holds no date: a time of day alone is stored.
        QCOMPARE(f.store.read("B", "AlarmTimeGMT"), QStringLiteral("21:00:00"));
    }

    void timeBoxOpensNoPickerUnlessOnce() {
        Contents start = listWithGaps();
        start[kSettings]["currSetup"] = "A";
        EditorFixture f(start);
        f.open();
        QTest::mouseClick(f.timeBox(), Qt::LeftButton);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(f.timeBox()->text(), clock12(7, 0));
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

    void tryItReportsWhatCannotBePlayed() {
        EditorFixture f;
        f.open();
        f.press("cmdTryIt");
        QCOMPARE(f.sound.played, QStringList{QString()});
        QCOMPARE(f.messages.texts(), QStringList());

        f.sound.failure = QStringLiteral("No sound server");
        f.press("cmdTryIt");
        QCOMPARE(f.messages.texts(), QStringList{QStringLiteral("No sound server in PlaySound()")});
    }

    void nonAsciiNameRoundTrips() {
        EditorFixture f;
        f.open();
        f.names()->lineEdit()->setFocus();
        for (const QChar c : QStringLiteral("Zürich")) {
            QTest::sendKeyEvent(QTest::Click, f.names()->lineEdit(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
        f.press("cmdSave");
        QVERIFY(f.closedWith(QDialog::Accepted));
        QCOMPARE(f.store.read(kSettings, "Setup0"), QStringLiteral("Zürich"));
        QCOMPARE(f.store.read(QStringLiteral("Zürich"), "OtherIndex"), QStringLiteral("11"));
    }
};

QTEST_MAIN(TestSetupEditorEntry)
#include "tst_setupeditor_entry.moc"
