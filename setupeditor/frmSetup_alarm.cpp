// SPDX-License-Identifier: GPL-3.0-or-later
// The setup editor's alarm controls: the time base, the repeat rule, the one-time date and the
// sound.

#include "frmSetup.h"

#include "BuiltInTone.h"
#include "DateFormat.h"
#include "MessageBoxes.h"
#include "ProgramChange.h"
#include "RuntimeError.h"
#include "Services.h"
#include "SetupTexts.h"
#include "frmMonthView.h"
#include "modCommon.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

void frmSetup::chkLocalTime_Click() {
    switchTimeBase(chkLocalTime, chkOtherTime);
}

void frmSetup::chkOtherTime_Click() {
    switchTimeBase(chkOtherTime, chkLocalTime);
}

void frmSetup::switchTimeBase(QCheckBox* clicked, QCheckBox* partner) {
    if (!clicked->isEnabled())
        return;
    const ProgramChange change(partner);

    // The shown time moves into the newly chosen clock, so the GMT time stored from it stays the
    // same. Text that cannot be read counts as 00:00.
    const bool once = m_whenIndex == setuptexts::kWhenOnce;
    DateValue t = 0.0;
    if (const auto typed = parseDate(txtAlarmTime->text()))
        t = (once && *typed < 1.0) ? datevalue::fromDate(today()) + *typed : *typed;

    const bool toLocal = (clicked == chkLocalTime) == clicked->isChecked();
    partner->setChecked(!clicked->isChecked());
    try {
        t = toLocal ? OtherToLocal(t, m_zones, today()) : LocalToOther(t, m_zones, today());
    } catch (const RuntimeError&) {
        // Out of the date range: the time stays as it was read.
    }
    txtAlarmTime->setText(timeBoxText(t, once));
}

void frmSetup::optWhen_Click(int index) {
    // Option 0 is disabled while the program chooses the stored rule.
    if (!optWhen[0]->isEnabled())
        return;
    const auto typed = parseDate(txtAlarmTime->text());
    if (!typed) {
        txtAlarmTime->clear();
    } else if (index == setuptexts::kWhenOnce && m_whenIndex != setuptexts::kWhenOnce) {
        txtAlarmTime->setText(
            formatDate(datevalue::fromDate(today()), QStringLiteral("Short Date")) + u' ' +
            formatDate(*typed, QStringLiteral("hh:mm AM/PM")));
    } else {
        txtAlarmTime->setText(formatDate(*typed, QStringLiteral("hh:mm AM/PM")));
    }
    m_whenIndex = static_cast<std::int16_t>(index);
}

void frmSetup::txtAlarmTime_Click() {
    if (m_whenIndex != setuptexts::kWhenOnce)
        return;

    // Coming back from the picker must keep the user's edits, so no reload meanwhile.
    m_reload = false;
    struct ReloadAgain {
        bool& reload;
        ~ReloadAgain() { reload = true; }
    } reloadAgain{m_reload};

    bool chosen = false;
    {
        frmMonthView picker(m_services, this);
        connect(&picker, &frmMonthView::dayClicked, this, [this, &chosen](const QDate& day) {
            m_alarmDate = datevalue::fromDate(day);
            chosen = true;
        });
        // Modal to the editor only, as the editor is to the clock: an alarm notice stays usable.
        picker.setWindowModality(Qt::WindowModal);
        picker.exec();
    }
    // Closed without a day chosen: the alarm stays as it was, on screen and in the store.
    if (!chosen)
        return;

    const QString previous = txtAlarmTime->text();
    const auto typed = parseDate(previous);
    txtAlarmTime->setText(formatDate(m_alarmDate, QStringLiteral("Short Date")) + u' ' +
                          (typed ? formatDate(*typed, QStringLiteral("hh:mm AM/PM")) : previous));
    optWhen[setuptexts::kWhenOnce]->setChecked(true);

    // The picked date is stored at once, whatever the user does with the editor afterwards.
    SaveAlarm();
}

void frmSetup::txtAlarmSound_Click() {
    const QString path = m_openFileDialog(this, soundFilter());
    if (path.isEmpty())
        return;
    m_soundPath = path;
    showSoundPath();
}

void frmSetup::cmdTryIt_Click() {
    // With no file chosen the alarm rings the built-in tone, so that is what trying it plays.
    const QString error =
        PlaySound(m_services.sound, m_soundPath.isEmpty() ? BuiltInAlarmTone : m_soundPath);
    if (!error.isEmpty())
        m_services.messages.inform(this, error);
}
