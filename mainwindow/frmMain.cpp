// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmMain.h"

#include "Accessibility.h"
#include "AlarmNotice.h"
#include "Clock.h"
#include "ClockFrame.h"
#include "DateFormat.h"
#include "FineTimer.h"
#include "Fonts.h"
#include "MessageBoxes.h"
#include "Numeric.h"
#include "OptionBoxStyle.h"
#include "ProgramChange.h"
#include "ReadAlarms.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "Setups.h"
#include "StoreKeys.h"
#include "TickSchedule.h"
#include "TimeLabel.h"
#include "Twips.h"
#include "Version.h"
#include "WindowStacking.h"
#include "ZoneList.h"
#include "ZoneTable.h"
#include "frmAlarm.h"
#include "modCommon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

const QString kTimePattern24 = QStringLiteral("hh:mm:ss");
const QString kTimePattern12 = QStringLiteral("hh:mm:ss AM/PM");
const QString kDatePattern = QStringLiteral("dddd, mmm d yyyy");

struct ControlGeometry {
    int left, top, width, height; // twips, inside the control's frame
};

void place(QWidget* w, const ControlGeometry& g) {
    w->setGeometry(twips::toPixels(g.left), twips::toPixels(g.top), twips::toPixels(g.width),
                   twips::toPixels(g.height));
}

} // namespace

frmMain::frmMain(Services& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_locale(QLocale::system()) {
    setObjectName(QStringLiteral("frmMain"));
    installAccessibleRoles();
    // Fixed single border without a maximise box. Minimising stays allowed: the menu has
    // "Minimize", and window managers refuse it to a window that says it cannot be minimised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint | Qt::CustomizeWindowHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Meridex"));
    createControls();
    createMenu();

    Timer1 = new FineTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &FineTimer::timeout, this, [this] {
        // Re-armed before the work: a message box raised in the tick runs an event loop of its
        // own, and the clock and the alarm test go on while it is open.
        armTimer();
        Timer1_Timer();
    });
    armTimer();
}

frmMain::~frmMain() {
    delete m_alarmWindow; // a window of its own, see runAlarmTest()
    m_services.store.onLateFailure({});
}

QString frmMain::AppVersion() {
    static const QString version =
        QStringLiteral("V%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
    return version;
}

void frmMain::createControls() {
    struct FrameControls {
        QGroupBox*& frame;
        const char* frameName;
        const char* caption;
        int top;
        QListWidget*& list;
        const char* listName;
        const char* listAccessibleName;
        TimeLabel*& time;
        const char* timeName;
        const char* timeText;
        QLabel*& date;
        const char* dateName;
        int dateWidth;
        QCheckBox*& dst;
        const char* dstName;
        QCheckBox*& half;
        const char* halfName;
        QCheckBox*& h24;
        const char* h24Name;
    };
    const std::array<FrameControls, 2> sides = {{
        {FrameLocal, "FrameLocal", "Local", 0, lstTimeZoneLocal, "lstTimeZoneLocal",
         "Local time zone", Label1, "Label1", "12:00:00 PM", Label3, "Label3", 2295, chkDSTLocal,
         "chkDSTLocal", chk05Local, "chk05Local", chk24hLocal, "chk24hLocal"},
        {FrameOther, "FrameOther", "Other", 1200, lstTimeZoneOther, "lstTimeZoneOther",
         "Other time zone", Label2, "Label2", "23:59:59 PM", Label4, "Label4", 2415, chkDSTOther,
         "chkDSTOther", chk05Other, "chk05Other", chk24hOther, "chk24hOther"},
    }};

    // The option boxes and the dates have no font of their own: they take the window's.
    setFont(dialogFont());
    // The lists show the zone table's own Latin names, and a time shows digits, colons and the
    // locale's AM/PM texts: where those are Latin too, neither needs fallback faces.
    QFont listFont = classicFont(QStringLiteral("MS Sans Serif"), 10, true);
    listFont.setStyleStrategy(QFont::NoFontMerging);
    QFont timeFont = classicFont(QStringLiteral("Courier New"), 24, true);
    if (withinLatin1(m_locale.amText() + m_locale.pmText()))
        timeFont.setStyleStrategy(QFont::NoFontMerging);
    auto* const boxStyle = new OptionBoxStyle(this);
    for (const FrameControls& s : sides) {
        auto* frame = new ClockFrame(QString::fromLatin1(s.caption), this);
        s.frame = frame;
        s.frame->setObjectName(QString::fromLatin1(s.frameName));
        s.frame->setFont(dialogFont());
        place(s.frame, {0, s.top, 5415, 1095});

        s.list = new ZoneList(QString::fromLatin1(s.listAccessibleName), s.frame);
        s.list->setObjectName(QString::fromLatin1(s.listName));
        s.list->setFont(listFont);
        s.list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        s.list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        s.list->setUniformItemSizes(true);
        place(s.list, {80, 240, 1935, 300});

        s.time = new TimeLabel(QString::fromLatin1(s.timeText), s.frame);
        s.time->setObjectName(QString::fromLatin1(s.timeName));
        s.time->setFont(timeFont);
        s.time->installEventFilter(this);
        // Opaque labels repaint alone each second; transparent ones would make the frame
        // behind them repaint too, which was most of the idle cost. They fill with the window's
        // background, which the frame leaves showing, so no box can be seen.
        s.time->setAutoFillBackground(true);
        place(s.time, {2085, 440, 3255, 495});

        s.date = new QLabel(QString::fromLatin1(s.dateName), s.frame);
        s.date->setObjectName(QString::fromLatin1(s.dateName));
        // The date changes once a day, so it may show the frame through: in 24-hour times its
        // label reaches past the frame's right border, which an opaque one would cut.
        place(s.date, {2160, 200, s.dateWidth, 255});

        s.dst = new QCheckBox(QStringLiteral("DST"), s.frame);
        s.dst->setObjectName(QString::fromLatin1(s.dstName));
        place(s.dst, {80, 720, 650, 255});
        s.half = new QCheckBox(QStringLiteral("+0.5"), s.frame);
        s.half->setObjectName(QString::fromLatin1(s.halfName));
        place(s.half, {720, 720, 615, 255});
        s.h24 = new QCheckBox(QStringLiteral("24 h"), s.frame);
        s.h24->setObjectName(QString::fromLatin1(s.h24Name));
        place(s.h24, {1440, 720, 615, 255});
        for (QCheckBox* box : {s.dst, s.half, s.h24})
            box->setStyle(boxStyle);
        frame->setReadout(QString::fromLatin1(s.caption), s.time, s.date);
    }

    connect(lstTimeZoneLocal, &QListWidget::currentRowChanged, this,
            &frmMain::lstTimeZoneLocal_Click);
    connect(lstTimeZoneOther, &QListWidget::currentRowChanged, this,
            &frmMain::lstTimeZoneOther_Click);
    connect(chk24hLocal, &QCheckBox::stateChanged, this, &frmMain::chk24hLocal_Click);
    connect(chk24hOther, &QCheckBox::stateChanged, this, &frmMain::chk24hOther_Click);
    connect(chkDSTLocal, &QCheckBox::stateChanged, this, &frmMain::chkDSTLocal_Click);
    connect(chk05Local, &QCheckBox::stateChanged, this, &frmMain::chk05Local_Click);
    connect(chkDSTOther, &QCheckBox::stateChanged, this, &frmMain::chkDSTOther_Click);
    connect(chk05Other, &QCheckBox::stateChanged, this, &frmMain::chk05Other_Click);
}

void frmMain::fillZoneLists() {
    lstTimeZoneOther->setEnabled(false);
    for (const char* name : zones::kNames)
        lstTimeZoneOther->addItem(QString::fromLatin1(name));
    for (int i = 0; i < lstTimeZoneOther->count(); ++i) {
        lstTimeZoneOther->setCurrentRow(i);
        lstTimeZoneLocal->addItem(lstTimeZoneOther->currentItem()->text());
    }
    lstTimeZoneOther->setEnabled(true);
}

void frmMain::armTimer() {
    Timer1->start(ticks::untilNextTick(m_services.clock.intoSecond()));
}

void frmMain::reportError(const RuntimeError& error, const char* procedure) {
    m_services.messages.inform(this, error.description() + QStringLiteral(" in ") +
                                         QString::fromLatin1(procedure) + QStringLiteral("()"));
}

// ---------------------------------------------------------------------------------------------
// The tick

ZoneOptions frmMain::zoneOptions() const {
    return {static_cast<std::int16_t>(lstTimeZoneLocal->currentRow()),
            chkDSTLocal->isChecked(),
            chk05Local->isChecked(),
            static_cast<std::int16_t>(lstTimeZoneOther->currentRow()),
            chkDSTOther->isChecked(),
            chk05Other->isChecked()};
}

void frmMain::Timer1_Timer() {
    m_services.stacking.setTopMost(this, mnAlwaysOnTop->isChecked() && !mnMenu->isVisible() &&
                                             !m_setupEditorOpen);

    // A tick that comes while a message box of an earlier tick is open leaves the setup to that
    // tick: applying it once more would only stack the same box again.
    const bool nested = m_inTick;
    const QScopedValueRollback<bool> inTick(m_inTick, true);
    if (!nested) {
        if (m_appliedSetup != m_currSetup) {
            RefreshSettings();
            WindowResize();
        }
        m_appliedSetup = m_currSetup;
    }

    // The clock shows whole seconds that have begun: a tick that arrives late must not show
    // the next second early (it would then show twice) nor ring an alarm before its minute.
    const QDateTime now = m_services.clock.now();
    const QTime wallTime = now.time();
    const DateValue machineTime = datevalue::fromDateAndTime(
        now.date(), QTime(wallTime.hour(), wallTime.minute(), wallTime.second()));
    const bool dateLines = !mnMini->isChecked() && !mnSmall->isChecked();
    Label1->setText(formatDate(
        machineTime, chk24hLocal->isChecked() ? kTimePattern24 : kTimePattern12, m_locale));
    if (dateLines)
        showDateLine(Label3, m_localDateShown, machineTime);

    const ZoneOptions options = zoneOptions();
    const DateValue other = otherTime(machineTime, options);
    Label2->setText(
        formatDate(other, chk24hOther->isChecked() ? kTimePattern24 : kTimePattern12, m_locale));
    if (dateLines)
        showDateLine(Label4, m_otherDateShown, other);

    runAlarmTest(m_alarmGate.enter(now, m_services.clock.suspended()), options);
    ringSnoozes(now);
}

// A date line changes once a day: format it only then.
void frmMain::showDateLine(QLabel* label, qint64& dayShown, DateValue t) {
    const qint64 day = datevalue::datePart(t).toJulianDay();
    if (day == dayShown)
        return;
    dayShown = day;
    label->setText(formatDate(t, kDatePattern, m_locale));
}

void frmMain::runAlarmTest(const std::vector<AlarmMinute>& minutes, const ZoneOptions& options) {
    QStringList fired, setups;
    for (const AlarmMinute& minute : minutes) {
        const DateValue reference =
            alarmReferenceTime(minute.time, options.localIndex, options.halfLocal);
        for (const std::size_t i : dueAlarms(m_alarms, reference, m_dayNames, m_locale)) {
            fired << noticeLine(m_alarms[i].name, minute.time, minute.late, false,
                                chk24hLocal->isChecked(), m_locale);
            setups << m_alarms[i].name;
            playAlarm(m_alarms[i].sound);
        }
    }
    if (!fired.isEmpty())
        showAlarmNotice(fired, setups);
}

void frmMain::ReadAlarms() {
    try {
        ::ReadAlarms(m_services.store, m_alarms);
        restoreSnoozes();
    } catch (const RuntimeError& e) {
        reportError(e, "ReadAlarms");
    }
}

// ---------------------------------------------------------------------------------------------
// Zone lists and option boxes

void frmMain::setChecked(QCheckBox* box, bool on, bool guarded) {
    if (!guarded) {
        box->setChecked(on);
        return;
    }
    const ProgramChange change(box);
    box->setChecked(on);
}

int frmMain::otherIndex() const {
    return lstTimeZoneOther->currentRow();
}

int frmMain::otherDST() const {
    return chkDSTOther->isChecked() ? 1 : 0;
}

int frmMain::otherHalf() const {
    return chk05Other->isChecked() ? 1 : 0;
}

int frmMain::localIndex() const {
    return lstTimeZoneLocal->currentRow();
}

int frmMain::localHalf() const {
    return chk05Local->isChecked() ? 1 : 0;
}

void frmMain::lstTimeZoneLocal_Click() {
    if (QListWidgetItem* item = lstTimeZoneLocal->currentItem())
        lstTimeZoneLocal->setToolTip(item->text());
    RefreshSettings();
}

void frmMain::lstTimeZoneOther_Click() {
    if (!lstTimeZoneOther->isEnabled())
        return;
    if (QListWidgetItem* item = lstTimeZoneOther->currentItem())
        lstTimeZoneOther->setToolTip(item->text());
    m_currSetup = keys::kDefaultSetup;
    try {
        m_services.store.write(keys::kSettings, keys::kCurrSetup, keys::kDefaultSetup);
        m_services.store.write(keys::kDefaultSetup, keys::kOtherIndex,
                               QString::number(lstTimeZoneOther->currentRow()));
    } catch (const RuntimeError& e) {
        reportError(e, "lstTimeZoneOther_Click");
    }
    RefreshSettings();
}

void frmMain::chk24hLocal_Click() {
    mnLocal24hrs->setChecked(chk24hLocal->isChecked());
    WindowResize();
}

void frmMain::chk24hOther_Click() {
    mnOther24hrs->setChecked(chk24hOther->isChecked());
    WindowResize();
}

void frmMain::chkDSTLocal_Click() {
    mnLocalDST->setChecked(chkDSTLocal->isChecked());
    WindowResize();
}

void frmMain::chk05Local_Click() {
    mn05Local->setChecked(chk05Local->isChecked());
}

void frmMain::chkDSTOther_Click() {
    mnOtherDST->setChecked(chkDSTOther->isChecked());
    if (!chkDSTOther->isEnabled())
        return;
    m_currSetup = keys::kDefaultSetup;
    SaveSettings(keys::kDefaultSetup);
    RefreshSettings();
    WindowResize();
}

void frmMain::chk05Other_Click() {
    mn05Other->setChecked(chk05Other->isChecked());
    if (!chk05Other->isEnabled())
        return;
    m_currSetup = keys::kDefaultSetup;
    SaveSettings(keys::kDefaultSetup);
    RefreshSettings();
}
