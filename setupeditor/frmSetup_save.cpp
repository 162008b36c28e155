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
    bool appended = false;
    bool listStored = false;
    try {
        const bool listed = findEntry(name) >= 0;
        if (!listed && !store.hasSection(name)) {
            // A brand-new setup takes the main window's zone without a question anyway. Writing
            // it first lets the store accept or refuse the name before the list names it.
            writeZone(store, name, shown);
        }
        if (!listed) {
            appendEntry(name);
            appended = true;
            SaveSetupList();
            listStored = true;
        }
        store.write(keys::kSettings, keys::kCurrSetup, name);
        m_host.setCurrSetup(name);
        m_setupName = name;

        const StoredZone stored = readStoredZone(store, name);
        if (!stored.otherIndex.isEmpty() && zoneDiffers(stored, shown) &&
            messages.show(this, setuptexts::kZoneQuestion, MessageBoxes::Buttons::OkCancel) ==
                MessageBoxes::Answer::Cancel)
            return;

        writeZone(store, name, shown);
        store.write(name, keys::kWhen, QString::number(m_whenIndex));
    } catch (const RuntimeError& error) {
        if (appended && !listStored) {
            // The list on screen goes back to the stored one; the typed name stays in the box.
            const QSignalBlocker quiet(cmbSetup);
            cmbSetup->removeItem(findEntry(name));
            cmbSetup->setEditText(name);
        }
        report(error, "cmdSave_Click");
        return;
    }

    if (SaveAlarm())
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

    try {
        m_services.store.write(keys::kSettings, keys::kCurrSetup, name);
        m_host.setCurrSetup(name);
    } catch (const RuntimeError& error) {
        report(error, "cmdOK_Click");
        return;
    }
    // The alarm goes to the setup the editor last loaded, which choosing an entry keeps equal to
    // the name in the box.
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
        store.deleteSection(name);
        if (entry < 0)
            throw RuntimeError(QStringLiteral("Invalid procedure call or argument"));
        removeEntry(entry);
        SaveSetupList();

        if (cmbSetup->count() == 0) {
            // No setup left to be current: fall back to the ad-hoc one, so that no later save
            // brings the deleted setup back as a stray section.
            store.write(keys::kSettings, keys::kCurrSetup, keys::kDefaultSetup);
            if (m_host.currSetup() != keys::kDefaultSetup)
                m_host.setCurrSetup(keys::kDefaultSetup);
        } else {
            const QString first = store.read(keys::kSettings, keys::setupKey(0));
            if (!first.isEmpty())
                store.write(keys::kSettings, keys::kCurrSetup, first);
        }
    } catch (const RuntimeError&) {
        m_services.messages.inform(this, setuptexts::cannotRemove(name));
    }
}

void frmSetup::cmdCancel_Click() {
    reject();
}

bool frmSetup::SaveAlarm() {
    // Never into no section, nor into the clock's own settings (only a store edited by hand can
    // make the editor load such a setup).
    if (m_setupName.isEmpty() || m_setupName == keys::kSettings)
        return false;

    const auto typed = parseDate(txtAlarmTime->text());
    if (!typed)
        return false;
    try {
        m_alarmTime = chkLocalTime->isChecked() ? LocalToGMT(*typed, m_zones, today())
                                                : OtherToGMT(*typed, m_zones, today());
    } catch (const RuntimeError&) {
        return false;
    }

    SettingsStore& store = m_services.store;
    try {
        // One form whatever the locale, so a change of locale never misreads a stored date.
        store.write(m_setupName, keys::kAlarmTimeGMT, storedDateText(m_alarmTime));
        store.write(m_setupName, keys::kChkLocalTime,
                    QString::number(chkLocalTime->isChecked() ? 1 : 0));
        store.write(m_setupName, keys::kWhen, signedNumberText(m_whenIndex));
        store.write(m_setupName, keys::kSound, m_soundPath);
    } catch (const RuntimeError& error) {
        report(error, "SaveAlarm");
        return false;
    }
    return true;
}

void frmSetup::SaveSetupList() {
    m_setupCount = static_cast<std::int16_t>(cmbSetup->count());
    const ProgramChange change(cmbSetup);
    SettingsStore& store = m_services.store;
    for (int i = 0; i < m_setupCount; ++i)
        store.write(keys::kSettings, keys::setupKey(i), cmbSetup->itemText(i));
    // The count last: should a write fail on the way, the stored list still names only setups
    // that exist (at worst one twice), never fewer than it did.
    store.write(keys::kSettings, keys::kNbSetup, QString::number(m_setupCount));
}
