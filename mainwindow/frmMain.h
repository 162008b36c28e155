// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlarmTable.h"
#include "AlarmTest.h"
#include "MruList.h"
#include "Services.h"
#include "SetupHost.h"
#include "Snooze.h"
#include "ZoneTime.h"
#include "frmAlarm.h"

#include <QLocale>
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QTimer;
class FineTimer;
class TimeLabel;
class RuntimeError;

// The main window: the Local and the Other clock side by side, driven by one timer that ticks
// just after each whole wall-clock second. Controls carry their design names as objectName.
class frmMain : public QWidget, public SetupHost {
    Q_OBJECT

public:
    explicit frmMain(Services& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // "V" + major.minor.revision of this build.
    static QString AppVersion();

    // The start-up sequence. Returns false when the version guard stops the program; nothing is
    // then shown or saved.
    bool Form_Load();
    // The shut-down sequence; run once when the window closes.
    void Form_Unload();

    void Timer1_Timer();
    void RefreshSettings();
    void SaveSettings(const QString& setupName);
    // Writes what the close would write of the window, its Local options and the recently-used
    // list, when it changed since the last write.
    void WriteSettings();
    void ReadAlarms();
    void WindowResize();
    void DoMRU(const QString& setupName);

    // Menu commands.
    void mnSmall_Click();
    void mnMini_Click();
    void mnMinimize_Click();
    void mnAlwaysOnTop_Click();
    void mnStartAtLogin_Click();
    void mnTwin_Click(QCheckBox* box, QAction* twin, bool relayout);
    void mnAbout_Click();
    void mnViewMap_Click();
    void mnSetup_Click();
    void mnMRU_Click(int index);
    void showPopupMenu(const QPoint& globalPos);

    // SetupHost
    QString currSetup() const override { return m_currSetup; }
    void setCurrSetup(const QString& name) override { m_currSetup = name; }
    int otherIndex() const override;
    int otherDST() const override;
    int otherHalf() const override;
    int localIndex() const override;
    int localHalf() const override;

    const AlarmTable& alarmTable() const { return m_alarms; }
    const MruList& mruList() const { return m_mru; }
    bool setupEditorOpen() const { return m_setupEditorOpen; }
    frmAlarm* alarmWindow() const { return m_alarmWindow; }
    QMenu* popupMenu() const { return mnMenu; }
    QAction* menuItem(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenu();
    void fillZoneLists();
    void presetLocalZone();
    void armTimer();
    void runAlarmTest(const std::vector<AlarmMinute>& minutes, const ZoneOptions& options);
    void showDateLine(QLabel* label, qint64& dayShown, DateValue t);

    // The notice and snoozed alarms (frmMain_snooze.cpp).
    void showAlarmNotice(const QStringList& lines, const QStringList& setups);
    void playAlarm(const QString& sound);
    void ringSnoozes(const QDateTime& now);
    void snoozeAlarms(const QStringList& setups, int minutes);
    void restoreSnoozes();
    void Form_Resize();
    void setOuterSizeTwips(int widthTwips, int heightTwips);
    void reportError(const RuntimeError& error, const char* procedure);
    QMap<QString, QString> windowSettings() const;
    // The keys of windowSettings() to store: those this clock changed.
    QMap<QString, QString> changedSettings() const;
    void settingsChanged();
    void refreshMruMenu();
    void setChecked(QCheckBox* box, bool on, bool guarded);
    ZoneOptions zoneOptions() const;

    void lstTimeZoneLocal_Click();
    void lstTimeZoneOther_Click();
    void chk24hLocal_Click();
    void chk24hOther_Click();
    void chkDSTLocal_Click();
    void chk05Local_Click();
    void chkDSTOther_Click();
    void chk05Other_Click();

    // Layout
    std::array<QWidget*, 8> layoutControls() const;
    void switchSize(QAction* chosen, QAction* other);
    void setSizableBorder(bool sizable);
    void applyOuterSize();
    void changeEvent(QEvent* event) override;
    // The outer size the last layout pass gave the window.
    QSize m_outerTwips;
    bool m_sizableBorder = false;

    Services& m_services;
    QLocale m_locale;

    QGroupBox* FrameLocal = nullptr;
    QGroupBox* FrameOther = nullptr;
    QListWidget* lstTimeZoneLocal = nullptr;
    QListWidget* lstTimeZoneOther = nullptr;
    TimeLabel* Label1 = nullptr;
    TimeLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* chkDSTLocal = nullptr;
    QCheckBox* chkDSTOther = nullptr;
    QCheckBox* chk05Local = nullptr;
    QCheckBox* chk05Other = nullptr;
    QCheckBox* chk24hLocal = nullptr;
    QCheckBox* chk24hOther = nullptr;
    FineTimer* Timer1 = nullptr;

    QMenu* mnMenu = nullptr;
    QMenu* mnTimeZone = nullptr;
    QAction* mnMini = nullptr;
    QAction* mnSmall = nullptr;
    QAction* mnMinimize = nullptr;
    QAction* mnAlwaysOnTop = nullptr;
    QAction* mnStartAtLogin = nullptr;
    QAction* mnLocalDST = nullptr;
    QAction* mnOtherDST = nullptr;
    QAction* mn05Local = nullptr;
    QAction* mn05Other = nullptr;
    QAction* mnLocal24hrs = nullptr;
    QAction* mnOther24hrs = nullptr;
    QAction* mnSetup = nullptr;
    QAction* mnAbout = nullptr;
    QAction* mnViewMap = nullptr;
    QAction* mnBar2 = nullptr;
    std::array<QAction*, MruList::kSize> mnMRU{};

    QPointer<frmAlarm> m_alarmWindow;

    QString m_currSetup;
    QString m_appliedSetup;
    bool m_setupEditorOpen = false;
    bool m_inTick = false;
    qint64 m_localDateShown = -1;
    qint64 m_otherDateShown = -1;
    bool m_unloaded = false;
    bool m_inResize = false;
    DayNames m_dayNames;
    AlarmTable m_alarms;
    AlarmMinuteGate m_alarmGate;
    // As stored: a snooze is written when it is made and when it rings or is dropped.
    Snoozes m_snoozes;
    MruList m_mru;
    // Changes that the close writes also go to the store within a second of the first change of
    // a burst, so that a session that ends without a close loses no more than that.
    QTimer* m_writeTimer = nullptr;
    // The window settings as shown at the end of the load, and their texts as last read from
    // or written to the store.
    QMap<QString, QString> m_loadedSettings;
    QMap<QString, QString> m_writtenSettings;
    bool m_writeFailureReported = false;
};
