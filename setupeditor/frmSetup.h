// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DateValue.h"
#include "ZoneConversions.h"

#include <QDialog>
#include <QMap>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RuntimeError;
class SetupHost;
class SoundBox;
struct Services;

// The setup editor "Meridex Setup": lists, loads, creates, changes and deletes the named setups
// and takes in each one's alarm. The main window shows it modally:
//
//     frmSetup editor(services, host, this);
//     editor.exec();
//
// and, once exec() returns, re-reads the alarms and re-applies the current setup. A new editor
// is made for each opening: its state lives only while it is open.
class frmSetup final : public QDialog {
    Q_OBJECT

public:
    frmSetup(Services& services, SetupHost& host, QWidget* parent = nullptr);

    // The file chooser behind the sound box: returns the chosen file's full path, or "" when the
    // user cancels. Production asks QFileDialog; tests put their own answer here.
    using OpenFileDialog = std::function<QString(QWidget* parent, const QString& filter)>;
    void setOpenFileDialog(OpenFileDialog dialog);

    // The filter the sound box offers: "WAV files (*.wav) " showing, *.wav matched.
    static QString soundFilter();

    // The setup whose stored data the editor shows and stores into.
    const QString& editorSetupName() const { return m_setupName; }
    std::int16_t whenIndex() const { return m_whenIndex; }
    const QString& soundPath() const { return m_soundPath; }
    // The day last clicked in the date picker; 0 (the zero date) until the first click.
    DateValue alarmDate() const { return m_alarmDate; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void connectHandlers();

    // Loading; each step may fail on its own without stopping the others.
    void Form_Activate();
    void loadResetSoundBox();
    void loadResetTimeBase();
    void loadSetupCount();
    void loadClearList();
    void loadSetupName();
    void loadList();
    void loadSelectEntry();
    void loadWhenIndex();
    void loadWhenOption();
    void loadLocalZone();
    void loadOtherZone();
    void loadAlarmTime();
    void loadTimeBase();
    void loadSound();

    void cmbSetup_Click(int index);
    void cmdSave_Click();
    void cmdOK_Click();
    void cmdDelete_Click();
    void cmdCancel_Click();
    // The alarm as the boxes give it, or nothing when the time cannot be read.
    struct AlarmKeys {
        DateValue gmt = 0.0;
        QMap<QString, QString> values;
    };
    std::optional<AlarmKeys> alarmKeys() const;
    bool SaveAlarm();
    // The list and its count as one change; with `currSetup`, the current setup too.
    void SaveSetupList(const QString& currSetup = {});

    void chkLocalTime_Click();
    void chkOtherTime_Click();
    void switchTimeBase(QCheckBox* clicked, QCheckBox* partner);
    void optWhen_Click(int index);
    void txtAlarmTime_Click();
    void txtAlarmSound_Click();
    void cmdTryIt_Click();

    // Helpers over the controls and the store.
    int findEntry(const QString& name) const;
    int selectedEntry() const;
    void appendEntry(const QString& name);
    void removeEntry(int index);
    void selectEntry(int index);
    bool refuseName(const QString& name);
    void showSoundPath();
    QString timeBoxText(DateValue t, bool withDate) const;
    QDate today() const;
    void report(const RuntimeError& error, const char* procedure);

    Services& m_services;
    SetupHost& m_host;
    OpenFileDialog m_openFileDialog;

    // Editor state, alive while the window is.
    QString m_setupName;
    std::int16_t m_setupCount = 0;
    // The names of the list as the editor last read or stored it: a save stores only the names
    // added and removed since, so setups another clock listed meanwhile stay listed.
    QStringList m_listedNames;
    std::int16_t m_whenIndex = 0;
    DateValue m_alarmTime = 0.0;
    ZoneValues m_zones;
    QString m_soundPath;
    bool m_reload = false;
    std::int16_t m_selectedIndex = 0;
    DateValue m_alarmDate = 0.0;
    // Whether the repeat option under the mouse was already chosen when it was pressed: a click
    // on the chosen option changes no state, yet still counts as choosing it again.
    bool m_optionCheckedWhenPressed = false;

    // Controls, owned by the window through Qt's parent ownership.
    QLabel* Label1 = nullptr;
    QComboBox* cmbSetup = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 5> optWhen{};
    QLabel* Label2 = nullptr;
    QLineEdit* txtAlarmTime = nullptr;
    QCheckBox* chkLocalTime = nullptr;
    QCheckBox* chkOtherTime = nullptr;
    QLabel* Label3 = nullptr;
    SoundBox* txtAlarmSound = nullptr;
    QPushButton* cmdTryIt = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdCancel = nullptr;
};
