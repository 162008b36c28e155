// Start-up, shut-down and the main window's side of setups.
#include "Clock.h"
#include "DateFormat.h"
#include "MessageBoxes.h"
#include "Numeric.h"
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
#include <QTimer>

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

        const std::int16_t localIndex = ValInt16(store.read(keys::kSettings, keys::kLocalIndex));
        if (zones::isValidIndex(localIndex))
            lstTimeZoneLocal->setCurrentRow(localIndex);

        m_currSetup = store.read(keys::kSettings, keys::kCurrSetup);

        if (store.read(m_currSetup, keys::kChk05Other) == QLatin1String("1"))
            setChecked(chk05Other, true, true);

        RefreshSettings();
        WindowResize();
        m_appliedSetup = m_currSetup;
        Timer1_Timer();
        m_setupEditorOpen = false;
        m_dayNames = buildDayNames(m_locale);
        ReadAlarms();
    } catch (const RuntimeError& e) {
        reportError(e, "Form_Load");
    }
    // Once the size is known, and also after a load cut short by a bad value.
    move(reachablePosition(QRect(pos(), size()), availableScreenAreas()));
    return true;
}

void frmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    SettingsStore& store = m_services.store;
    try {
        // One change for the whole window, so a kill while closing leaves either the old or
        // the new window settings, and the file is rewritten once instead of once a key.
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
        store.writeSection(keys::kSettings, values);
        if (m_currSetup.isEmpty())
            m_currSetup = keys::kDefaultSetup;
        SaveSettings(m_currSetup);
        m_mru.store(store);
    } catch (const RuntimeError& e) {
        reportError(e, "Form_Unload");
    }
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
                lstTimeZoneOther->setEnabled(false);
                lstTimeZoneOther->setCurrentRow(index);
                lstTimeZoneOther->setEnabled(true);
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
