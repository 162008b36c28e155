// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, shut-down and the main window's side of setups.
#include "Clock.h"
#include "DateFormat.h"
#include "MessageBoxes.h"
#include "Numeric.h"
#include "ProgramChange.h"
#include "ReadAlarms.h"
#include "RuntimeError.h"
#include "ScreenPlacement.h"
#include "Screens.h"
#include "SettingsStore.h"
#include "Setups.h"
#include "StoreKeys.h"
#include "TickSchedule.h"
#include "Twips.h"
#include "Version.h"
#include "WindowLayout.h"
#include "WindowStacking.h"
#include "ZoneTable.h"
#include "frmAlarm.h"
#include "frmMain.h"
#include "modCommon.h"
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTimeZone>
#include <QTimer>

#include <utility>

// ---------------------------------------------------------------------------------------------
// Start-up and shut-down

bool frmMain::Form_Load() {
    const QString version = AppVersion();
    if (version == QLatin1String("V0.0.1") || version == QLatin1String("V0.0.0")) {
        m_services.messages.inform(
            this, QStringLiteral("You need to download the latest EXE from "
                                 "https://github.com/meridex-clock/meridex\r\n"
                                 "and copy the file in the Meridex installation directory."));
        return false;
    }

    SettingsStore& store = m_services.store;
    // A settings file the store will not use: said, and the clock runs on its defaults.
    try {
        store.checkUsable();
    } catch (const RuntimeError& e) {
        reportError(e, "Form_Load");
    }
    bool presetZone = false;
    try {
        const double top = Val(store.read(keys::kSettings, keys::kTop));
        const double left = Val(store.read(keys::kSettings, keys::kLeft));
        const double width = Val(store.read(keys::kSettings, keys::kWidth));
        move(twips::toPixels(left), twips::toPixels(top));
        resize(std::max(1, twips::toPixels(width)), height());

        mnSmall->setChecked(keys::isTrue(store.read(keys::kSettings, keys::kSmall)));
        mnMini->setChecked(keys::isTrue(store.read(keys::kSettings, keys::kMini)));
        mnAlwaysOnTop->setChecked(keys::isTrue(store.read(keys::kSettings, keys::kAlwaysOnTop)));

        const std::array<std::pair<const QString*, QCheckBox*>, 3> localBoxes = {{
            {&keys::kChk24hLocal, chk24hLocal},
            {&keys::kChk24hOther, chk24hOther},
            {&keys::kChkDSTLocal, chkDSTLocal},
        }};
        for (const auto& [key, box] : localBoxes) {
            if (store.read(keys::kSettings, *key) == QLatin1String("1"))
                box->setChecked(true); // its handler checks the twin
        }
        if (store.read(keys::kSettings, keys::kChk05Local) == QLatin1String("1"))
            setChecked(chk05Local, true, true);

        m_mru.restore(store);
        refreshMruMenu();

        fillZoneLists();

        const QString storedLocal = store.read(keys::kSettings, keys::kLocalIndex);
        if (storedLocal.isEmpty()) {
            presetLocalZone();
            presetZone = true;
        } else {
            const std::int16_t localIndex = ValInt16(storedLocal);
            if (zones::isValidIndex(localIndex))
                lstTimeZoneLocal->setCurrentRow(localIndex);
        }

        m_currSetup = store.read(keys::kSettings, keys::kCurrSetup);

        if (store.read(m_currSetup, keys::kChk05Other) == QLatin1String("1"))
            setChecked(chk05Other, true, true);

        RefreshSettings();
        WindowResize();
        m_appliedSetup = m_currSetup;
        // The alarms are read before the first tick: that tick tests the minute the clock
        // starts in, and an alarm due in it must be in the table by then.
        m_setupEditorOpen = false;
        m_dayNames = buildDayNames(m_locale);
        ReadAlarms();
        Timer1_Timer();
    } catch (const RuntimeError& e) {
        reportError(e, "Form_Load");
    }
    // Once the size is known, and also after a load cut short by a bad value. The frame is not
    // drawn yet: the one the sizes were drawn for stands in for it.
    move(reachablePosition(QRect(pos(), size().grownBy(layout::kNominalFrame)),
                           availableScreenAreas()));

    // From here on each change that the close writes is written within a second as well.
    m_loadedSettings = windowSettings();
    m_writtenSettings = m_loadedSettings;
    for (auto it = m_writtenSettings.begin(); it != m_writtenSettings.end(); ++it)
        it.value() = store.read(keys::kSettings, it.key());
    m_writeTimer = new QTimer(this);
    m_writeTimer->setSingleShot(true);
    m_writeTimer->setInterval(1000);
    connect(m_writeTimer, &QTimer::timeout, this, &frmMain::WriteSettings);
    // A zone found for the user is stored as one they chose would be, not first at the close:
    // until then the setup editor and a second clock would take alarms in another zone.
    if (presetZone) {
        m_writtenSettings.remove(keys::kLocalIndex);
        settingsChanged();
    }
    for (QCheckBox* box : {chk24hLocal, chk24hOther, chkDSTLocal, chk05Local})
        connect(box, &QCheckBox::stateChanged, this, &frmMain::settingsChanged);
    connect(lstTimeZoneLocal, &QListWidget::currentRowChanged, this, &frmMain::settingsChanged);
    for (QAction* item : {mnSmall, mnMini, mnAlwaysOnTop})
        connect(item, &QAction::toggled, this, &frmMain::settingsChanged);
    // Changes the store could not write at once and still cannot.
    store.onLateFailure([this](const RuntimeError& e) { reportError(e, "WriteSettings"); });
    return true;
}

// A first start has no Local zone stored: a new user's Other clock would be hours off until
// they found the setting. The machine knows its own zone; where the table has no row for it,
// the list stays as a first start always left it.
void frmMain::presetLocalZone() {
    const QTimeZone zone = m_services.clock.timeZone();
    const QDateTime now = m_services.clock.now();
    const auto row = zones::rowForUtcOffset(zone.standardTimeOffset(now));
    if (!row) {
        lstTimeZoneLocal->setCurrentRow(0);
        return;
    }
    lstTimeZoneLocal->setCurrentRow(row->index);
    if (zone.isDaylightTime(now))
        chkDSTLocal->setChecked(true); // its handler checks the twin
    setChecked(chk05Local, row->half, true);
}

void frmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_writeTimer)
        m_writeTimer->stop();
    try {
        // One change for the whole window, so a kill while closing leaves either the old or
        // the new window settings, and the file is rewritten once instead of once a key.
        const QMap<QString, QString> changed = changedSettings();
        if (!changed.isEmpty())
            m_services.store.writeSection(keys::kSettings, changed);
        if (m_currSetup.isEmpty())
            m_currSetup = keys::kDefaultSetup;
        SaveSettings(m_currSetup);
        // Whatever the store could not write yet gets a second more; the clock is closing.
        m_services.store.flush(1000);
    } catch (const RuntimeError& e) {
        reportError(e, "Form_Unload");
    }
}

QMap<QString, QString> frmMain::windowSettings() const {
    const QPoint position = pos();
    QMap<QString, QString> values{
        {keys::kTop, QString::number(twips::fromPixels(position.y()))},
        {keys::kLeft, QString::number(twips::fromPixels(position.x()))},
        {keys::kWidth, QString::number(twips::fromPixels(frameGeometry().width()))},
        {keys::kSmall, keys::boolText(mnSmall->isChecked())},
        {keys::kMini, keys::boolText(mnMini->isChecked())},
        {keys::kAlwaysOnTop, keys::boolText(mnAlwaysOnTop->isChecked())},
        {keys::kLocalIndex, QString::number(lstTimeZoneLocal->currentRow())},
    };
    const std::array<std::pair<const QString*, QCheckBox*>, 4> boxes = {{
        {&keys::kChk24hLocal, chk24hLocal},
        {&keys::kChk24hOther, chk24hOther},
        {&keys::kChkDSTLocal, chkDSTLocal},
        {&keys::kChk05Local, chk05Local},
    }};
    for (const auto& [key, box] : boxes)
        values.insert(*key, box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    values.insert(m_mru.values());
    return values;
}

// What the store lacks, and what this clock changed since it last read or wrote it; a change
// another clock stored meanwhile to a value this one left alone stays.
QMap<QString, QString> frmMain::changedSettings() const {
    QMap<QString, QString> changed = windowSettings();
    for (auto it = changed.begin(); it != changed.end();) {
        const QString stored = m_services.store.read(keys::kSettings, it.key());
        const QString written = m_writtenSettings.value(it.key());
        const bool untouched =
            it.value() == written ||
            (it.value() == m_loadedSettings.value(it.key()) && stored != written);
        const bool skip = stored == it.value() || (!stored.isEmpty() && untouched);
        it = skip ? changed.erase(it) : std::next(it);
    }
    return changed;
}

void frmMain::settingsChanged() {
    // Started by the first change of a burst and not pushed back by later ones, so that a
    // stream of changes still reaches the store every second.
    if (m_writeTimer && !m_unloaded && !m_writeTimer->isActive())
        m_writeTimer->start();
}

void frmMain::WriteSettings() {
    const QMap<QString, QString> changed = changedSettings();
    if (changed.isEmpty())
        return;
    try {
        m_services.store.writeSection(keys::kSettings, changed);
        m_writtenSettings.insert(changed);
    } catch (const RuntimeError& e) {
        // Once: a store that cannot be written would otherwise speak up at every move. The
        // close tries again and says so.
        if (!std::exchange(m_writeFailureReported, true))
            reportError(e, "WriteSettings");
    }
}

void frmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    settingsChanged();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    if (m_alarmWindow)
        m_alarmWindow->close();
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Setups

void frmMain::RefreshSettings() {
    try {
        if (!m_currSetup.isEmpty()) {
            const SettingsStore& store = m_services.store;
            const bool dst = store.read(m_currSetup, keys::kChkDSTOther) == QLatin1String("1");
            setChecked(chkDSTOther, dst, true);
            const std::int16_t index = ValInt16(store.read(m_currSetup, keys::kOtherIndex));
            const bool half = store.read(m_currSetup, keys::kChk05Other) == QLatin1String("1");
            setChecked(chk05Other, half, true);
            if (zones::isValidIndex(index)) {
                const ProgramChange change(lstTimeZoneOther);
                lstTimeZoneOther->setCurrentRow(index);
            }
        }
        for (QListWidget* list : {lstTimeZoneOther, lstTimeZoneLocal}) {
            if (QListWidgetItem* item = list->currentItem())
                list->scrollToItem(item, QAbstractItemView::PositionAtTop);
        }
        setWindowTitle(mainCaption(m_currSetup, mnMini->isChecked()));
    } catch (const RuntimeError& e) {
        reportError(e, "RefreshSettings");
    }
}

void frmMain::SaveSettings(const QString& setupName) {
    try {
        SettingsStore& store = m_services.store;
        store.write(keys::kSettings, keys::kCurrSetup, setupName);
        const OtherZone shown{otherIndex(), otherDST(), otherHalf()};
        if (saveNeedsQuestion(setupName, readStoredZone(store, setupName), shown) &&
            m_services.messages.show(this, saveQuestionText(setupName),
                                     MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::No)
            return;
        writeZone(store, setupName, shown);
    } catch (const RuntimeError& e) {
        reportError(e, "SaveSettings");
    }
}

void frmMain::DoMRU(const QString& setupName) {
    m_mru.DoMRU(setupName);
    refreshMruMenu();
    settingsChanged();
}

void frmMain::refreshMruMenu() {
    for (int n = 1; n <= MruList::kSize; ++n) {
        QAction* item = mnMRU[static_cast<std::size_t>(n - 1)];
        item->setText(m_mru.entry(n).caption);
        item->setVisible(m_mru.entry(n).visible);
    }
    mnBar2->setVisible(m_mru.separatorVisible());
}

void frmMain::mnMRU_Click(int index) {
    m_currSetup = m_mru.entry(index).caption;
    try {
        m_services.store.write(keys::kSettings, keys::kCurrSetup, m_currSetup);
    } catch (const RuntimeError& e) {
        reportError(e, "mnMRU_Click");
    }
    RefreshSettings();
    DoMRU(m_currSetup);
}
