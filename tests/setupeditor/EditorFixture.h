#pragma once

#include "Clock.h"
#include "DateFormat.h"
#include "Doubles.h"
#include "Services.h"
#include "SetupHost.h"
#include "SoundPlayer.h"
#include "frmSetup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

using Contents = MemorySettingsStore::Contents;
using Answer = MessageBoxes::Answer;

// The main window as the editor sees it: the current setup name and the Other zone shown.
class FakeHost final : public SetupHost {
public:
    QString currSetup() const override { return current; }
    void setCurrSetup(const QString& name) override { current = name; }
    int otherIndex() const override { return other; }
    int otherDST() const override { return dst; }
    int otherHalf() const override { return half; }

    QString current;
    int other = 11;
    int dst = 0;
    int half = 0;
};

// Plays nothing; remembers what it was asked to play and answers with a set error text.
class RecordingSound final : public SoundPlayer {
public:
    QString play(const QString& path) override {
        played.append(path);
        return failure;
    }
    QStringList played;
    QString failure;
};

// The store in memory, remembering its whole contents after each change, so a test can check
// every state a crash could have left behind.
class JournalStore final : public SettingsStore {
public:
    explicit JournalStore(MemorySettingsStore& inner) : m_inner(inner) {}
    QString read(const QString& s, const QString& k) const override { return m_inner.read(s, k); }
    void write(const QString& s, const QString& k, const QString& v) override {
        m_inner.write(s, k, v);
        states.append(m_inner.contents());
    }
    void writeSection(const QString& s, const QMap<QString, QString>& values) override {
        m_inner.writeSection(s, values);
        states.append(m_inner.contents());
    }
    void deleteSection(const QString& s) override {
        m_inner.deleteSection(s);
        states.append(m_inner.contents());
    }
    bool hasSection(const QString& s) const override { return m_inner.hasSection(s); }

    QList<MemorySettingsStore::Contents> states;

private:
    MemorySettingsStore& m_inner;
};

// The editor over fakes: a clock standing at Monday 7 December 2026, 14:00, a store in memory,
// scripted message boxes and a file chooser that answers from `chosenFile`.
struct EditorFixture {
    explicit EditorFixture(Contents contents = {})
        : clock(QDateTime(QDate(2026, 12, 7), QTime(14, 0))), store(std::move(contents)),
          journal(store), services{clock, journal, messages, stacking, sound} {}

    frmSetup& open() {
        editor = std::make_unique<frmSetup>(services, host);
        editor->setOpenFileDialog([this](QWidget*, const QString& filter) {
            dialogFilters.append(filter);
            return chosenFile;
        });
        editor->show();
        return *editor;
    }

    template <typename T> T* child(const QString& name) const {
        T* found = editor->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QComboBox* names() const { return child<QComboBox>(QStringLiteral("cmbSetup")); }
    QLineEdit* timeBox() const { return child<QLineEdit>(QStringLiteral("txtAlarmTime")); }
    QLineEdit* soundBox() const { return child<QLineEdit>(QStringLiteral("txtAlarmSound")); }
    QCheckBox* box(const char* name) const { return child<QCheckBox>(QLatin1String(name)); }
    QRadioButton* option(int i) const {
        return child<QRadioButton>(QStringLiteral("optWhen%1").arg(i));
    }
    QStringList listed() const {
        QStringList result;
        for (int i = 0; i < names()->count(); ++i)
            result.append(names()->itemText(i));
        return result;
    }

    // What a user does.
    void press(const char* button) const {
        QTest::mouseClick(child<QPushButton>(QLatin1String(button)), Qt::LeftButton);
    }
    // Buttons and boxes are clicked on their indicator, which is where a click always counts.
    void tick(QAbstractButton* button) const {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void typeName(const QString& text) const { retype(names()->lineEdit(), text); }
    void typeTime(const QString& text) const { retype(timeBox(), text); }
    static void retype(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        // Key events carrying their text: dates and AM/PM texts of some locales are not ASCII.
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void chooseEntry(int index) const { names()->setCurrentIndex(index); }

    bool closedWith(QDialog::DialogCode code) const {
        return !editor->isVisible() && editor->result() == code;
    }

    static QString format(DateValue v, const char* pattern) {
        return formatDate(v, QLatin1String(pattern));
    }

    FakeClock clock;
    MemorySettingsStore store;
    JournalStore journal;
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    RecordingSound sound;
    FakeHost host;
    Services services;
    QString chosenFile;
    QStringList dialogFilters;
    std::unique_ptr<frmSetup> editor;
};

// The whole store as text, one key a line, so that a failed comparison shows what differs.
inline QString dump(const Contents& contents) {
    QString text;
    for (auto section = contents.cbegin(); section != contents.cend(); ++section) {
        for (auto key = section->cbegin(); key != section->cend(); ++key)
            text += QStringLiteral("[%1] %2 = \"%3\"\n").arg(section.key(), key.key(), key.value());
    }
    return text;
}

#define COMPARE_STORE(actual, expected) QCOMPARE(dump(actual), dump(expected))

inline DateValue timeOfDay(int h, int m) {
    return datevalue::fromTime(QTime(h, m));
}

// A time of day as the time box shows it ("07:30 PM" in English).
inline QString clock12(int h, int m) {
    return formatDate(timeOfDay(h, m), QStringLiteral("hh:mm AM/PM"));
}
