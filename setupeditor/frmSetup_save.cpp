// SPDX-License-Identifier: GPL-3.0-or-later
// The setup editor's Save, OK, Delete and Cancel, and the two procedures they share.

#include "frmSetup.h"

#include "Clock.h"
#include "DateFormat.h"
#include "MessageBoxes.h"
#include "Numeric.h"
#include "ProgramChange.h"
#include "RuntimeError.h"
#include "Services.h"
#include "SettingsStore.h"
#include "SetupHost.h"
#include "SetupTexts.h"
#include "Setups.h"
#include "StoreKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSet>
#include <QSignalBlocker>

namespace {

// Blanks only: a name keeps any other character it was typed with.
QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

// A number as text with the sign position kept: a blank before a number that is not negative.
QString signedNumberText(int n) {
    return n < 0 ? QString::number(n) : QStringLiteral(" ") + QString::number(n);
}

bool zoneDiffers(const StoredZone& stored, const OtherZone& shown) {
    return Val(stored.otherIndex) != shown.otherIndex || Val(stored.dst) != shown.dst ||
           Val(stored.half) != shown.half;
}

} // namespace

void frmSetup::cmdSave_Click() {
    SettingsStore& store = m_services.store;
    MessageBoxes& messages = m_services.messages;

    if (m_whenIndex == setuptexts::kWhenOnce) {
        // Unreadable text gets the same answer as a time without a date: the message, nothing
        // stored.
        const auto typed = parseDate(txtAlarmTime->text());
        if (!typed || *typed < 1.0) {
            const DateValue now = datevalue::fromQDateTime(m_services.clock.now());
            messages.inform(this, setuptexts::kOnceMessage +
                                      formatDate(now, QStringLiteral("Short Date")) + u' ' +
                                      formatDate(now, QStringLiteral("Short Time")));
            return;
        }
    }

    const QString name = trimBlanks(cmbSetup->currentText());
    cmbSetup->setEditText(name);
    if (refuseName(name))
        return;

    const OtherZone shown{m_host.otherIndex(), m_host.otherDST(), m_host.otherHalf()};
    // Everything the Save stores in the setup goes in as one change, so that a crash leaves the
    // setup as it was or as saved, never a mix of the two.
    QMap<QString, QString> values = zoneValues(shown);
    values.insert(keys::kWhen, QString::number(m_whenIndex));
    const auto alarm = alarmKeys();
    if (alarm)
        values.insert(alarm->values);

    const bool listed = findEntry(name) >= 0;
    // The count is stored in 16 bits: a list that is full takes no more, and nothing is stored.
    if (!listed && cmbSetup->count() >= keys::kMaxSetups) {
        messages.inform(this, setuptexts::kListFull);
        return;
    }
    bool appended = false;
    bool listStored = false;
    bool brandNew = false;
    try {
        brandNew = !listed && !store.hasSection(name);
        if (brandNew) {
            // A brand-new setup takes the main window's zone without a question, and is whole
            // before the list names it; the store also accepts or refuses the name here.
            store.writeSection(name, values);
        }
        if (!listed) {
            appendEntry(name);
            appended = true;
            SaveSetupList(name);
            listStored = true;
        } else {
            store.write(keys::kSettings, keys::kCurrSetup, name);
        }
        m_host.setCurrSetup(name);
        m_setupName = name;

        if (!brandNew) {
            const StoredZone stored = readStoredZone(store, name);
            if (!stored.otherIndex.isEmpty() && zoneDiffers(stored, shown) &&
                messages.show(this, setuptexts::kZoneQuestion, MessageBoxes::Buttons::OkCancel) ==
                    MessageBoxes::Answer::Cancel)
                return;
            store.writeSection(name, values);
        }
        if (alarm)
            m_alarmTime = alarm->gmt;
    } catch (const RuntimeError& error) {
        if (appended && !listStored) {
            // The list on screen goes back to the stored one; the typed name stays in the box.
            const QSignalBlocker quiet(cmbSetup);
            cmbSetup->removeItem(findEntry(name));
            cmbSetup->setEditText(name);
            // Nor does the store keep the section of a setup its list would not take.
            if (brandNew) {
                try {
                    store.deleteSection(name);
                } catch (const RuntimeError&) {
                }
            }
        }
        report(error, "cmdSave_Click");
        return;
    }

    if (alarm)
        accept();
}

void frmSetup::cmdOK_Click() {
    const QString name = trimBlanks(cmbSetup->currentText());
    cmbSetup->setEditText(name);
    if (refuseName(name))
        return;

    if (findEntry(name) < 0) {
        if (m_services.messages.show(this, setuptexts::kNewSetupQuestion,
                                     MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::Yes)
            cmdSave_Click();
        return;
    }

    // Another listed name typed over the one loaded: what is on screen is meant for that setup,
    // not for the one loaded before, so it is saved there as Save does.
    if (name != m_setupName) {
        cmdSave_Click();
        return;
    }

    try {
        m_services.store.write(keys::kSettings, keys::kCurrSetup, name);
        m_host.setCurrSetup(name);
    } catch (const RuntimeError& error) {
        report(error, "cmdOK_Click");
        return;
    }
    // The alarm goes to the setup the editor last loaded, which is the name in the box.
    if (!SaveAlarm())
        return;
    try {
        SaveSetupList();
    } catch (const RuntimeError& error) {
        report(error, "cmdOK_Click");
        return;
    }
    accept();
}

void frmSetup::cmdDelete_Click() {
    const QString name = cmbSetup->currentText();
    // Section "Settings" holds every setting of the clock; it is never a setup to delete.
    if (name == keys::kSettings) {
        m_services.messages.inform(this, setuptexts::kReservedName);
        return;
    }
    if (m_services.messages.show(this, setuptexts::kDeleteQuestion, MessageBoxes::Buttons::YesNo) ==
        MessageBoxes::Answer::No)
        return;

    SettingsStore& store = m_services.store;
    try {
        // A name typed in full counts as choosing its entry, so a listed setup never loses its
        // section while staying in the list.
        int entry = selectedEntry();
        if (entry < 0)
            entry = findEntry(name);
        if (entry < 0) {
            store.deleteSection(name);
            throw RuntimeError(QStringLiteral("Invalid procedure call or argument"));
        }
        if (!store.hasSection(name))
            throw RuntimeError(QStringLiteral("The setup has no section"));
        removeEntry(entry);
        // The list and the current setup stop naming the setup before its section goes: a crash
        // in between leaves an unlisted section, never a listed setup without its values.
        // With no setup left, the ad-hoc one becomes current, so that no later save brings the
        // deleted setup back as a stray section.
        const QString current =
            cmbSetup->count() == 0 ? keys::kDefaultSetup : cmbSetup->itemText(0);
        SaveSetupList(current);
        // The clock leaves a deleted setup too, for the one now stored as current.
        if (m_host.currSetup() == name || cmbSetup->count() == 0)
            m_host.setCurrSetup(current);
        store.deleteSection(name);
    } catch (const RuntimeError&) {
        m_services.messages.inform(this, setuptexts::cannotRemove(name));
    }
}

void frmSetup::cmdCancel_Click() {
    reject();
}

std::optional<frmSetup::AlarmKeys> frmSetup::alarmKeys() const {
    const auto typed = parseDate(txtAlarmTime->text());
    if (!typed)
        return std::nullopt;
    AlarmKeys alarm;
    try {
        alarm.gmt = chkLocalTime->isChecked() ? LocalToGMT(*typed, m_zones, today())
                                              : OtherToGMT(*typed, m_zones, today());
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
    // One form whatever the locale, so a change of locale never misreads a stored date.
    alarm.values = {
        {keys::kAlarmTimeGMT, storedDateText(alarm.gmt)},
        {keys::kChkLocalTime, QString::number(chkLocalTime->isChecked() ? 1 : 0)},
        {keys::kWhen, signedNumberText(m_whenIndex)},
        {keys::kSound, m_soundPath},
    };
    return alarm;
}

bool frmSetup::SaveAlarm() {
    // Never into no section, nor into the clock's own settings (only a store edited by hand can
    // make the editor load such a setup).
    if (m_setupName.isEmpty() || m_setupName == keys::kSettings)
        return false;
    const auto alarm = alarmKeys();
    if (!alarm)
        return false;
    m_alarmTime = alarm->gmt;
    try {
        m_services.store.writeSection(m_setupName, alarm->values);
    } catch (const RuntimeError& error) {
        report(error, "SaveAlarm");
        return false;
    }
    return true;
}

void frmSetup::SaveSetupList(const QString& currSetup) {
    const ProgramChange change(cmbSetup);
    QStringList names;
    for (int i = 0; i < cmbSetup->count(); ++i)
        names.append(cmbSetup->itemText(i));
    // By sets: lists run to thousands of names.
    const QSet<QString> now(names.cbegin(), names.cend());
    const QSet<QString> before(m_listedNames.cbegin(), m_listedNames.cend());
    QStringList removed;
    for (const QString& name : std::as_const(m_listedNames))
        if (!now.contains(name))
            removed.append(name);
    QStringList added;
    for (const QString& name : std::as_const(names))
        if (!before.contains(name))
            added.append(name);
    QMap<QString, QString> values;
    if (!currSetup.isEmpty())
        values.insert(keys::kCurrSetup, currSetup);
    m_services.store.changeList(keys::setupList(), removed, added, values);
    m_listedNames = names;
    m_setupCount = static_cast<std::int16_t>(names.size());
}
