// SPDX-License-Identifier: GPL-3.0-or-later
// The setup editor's window, its position memory, loading and the choice of a listed setup.
// Saving is in frmSetup_save.cpp, the alarm controls in frmSetup_alarm.cpp.

#include "frmSetup.h"

#include "Clock.h"
#include "DateFormat.h"
#include "Fonts.h"
#include "MessageBoxes.h"
#include "Numeric.h"
#include "ProgramChange.h"
#include "RuntimeError.h"
#include "Services.h"
#include "SettingsStore.h"
#include "SetupHost.h"
#include "SetupTexts.h"
#include "SoundBox.h"
#include "StoreKeys.h"
#include "WindowPosition.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr double kHeightTwips = 3570.0;

// Enter on a button with the focus presses it, as Space does.
class EnterPresses final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
};

QPushButton* makeButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // No button is a default one: Enter belongs to the name box (Save) and the time box (OK),
    // and elsewhere presses only the button that has the focus.
    button->setAutoDefault(false);
    button->setDefault(false);
    button->installEventFilter(new EnterPresses(button));
    return button;
}

template <typename Widget, typename... Args> Widget* named(const QString& name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(name);
    return widget;
}

// The part of a path after its last separator; the whole path when it has none.
QString fileNamePart(const QString& path) {
    return path.section(u'/', -1);
}

} // namespace

frmSetup::frmSetup(Services& services, SetupHost& host, QWidget* parent)
    : QDialog(parent), m_services(services), m_host(host),
      m_openFileDialog([](QWidget* owner, const QString& filter) {
          QFileDialog dialog(owner, QString(), QString(), filter);
          // Only the description shows; the pattern is matched all the same.
          dialog.setOption(QFileDialog::HideNameFilterDetails);
          dialog.setFileMode(QFileDialog::ExistingFile);
          dialog.setAcceptMode(QFileDialog::AcceptOpen);
          // Modal to the editor only: an alarm notice stays usable.
          dialog.setWindowModality(Qt::WindowModal);
          return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
      }) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("Meridex Setup"));
    setFont(dialogFont());
    buildControls();
    connectHandlers();

    // Form_Load: where the user left the window, its fixed height, and a full load on showing.
    resize(sizeHint().width(), windowposition::toPixels(kHeightTwips));
    if (const auto stored = windowposition::readReachable(m_services.store, setuptexts::kEditorLeft,
                                                          setuptexts::kEditorTop, size()))
        move(*stored);
    m_reload = true;
}

void frmSetup::setOpenFileDialog(OpenFileDialog dialog) {
    m_openFileDialog = std::move(dialog);
}

QString frmSetup::soundFilter() {
    return QStringLiteral("WAV files (*.wav) ") + QStringLiteral("(*.wav)");
}

void frmSetup::buildControls() {
    Label1 = named<QLabel>(QStringLiteral("Label1"), QStringLiteral("Name:"), this);
    cmbSetup = named<QComboBox>(QStringLiteral("cmbSetup"), this);
    cmbSetup->setEditable(true);
    // Typed names are added by Save alone, and exactly as typed: no insertion on Enter and no
    // completion that could change a name's capitals.
    cmbSetup->setInsertPolicy(QComboBox::NoInsert);
    cmbSetup->setCompleter(nullptr);
    // When typing ends (Tab, a click on Save, Enter) the combo box would pick the entry whose
    // text equals the typed name, as if it had been chosen from the list: the editor would then
    // reload that setup's stored values over the person's edits. Only a choice from the list
    // (popup, arrow keys) loads a setup; a typed name is a name for Save.
    disconnect(cmbSetup->lineEdit(), &QLineEdit::editingFinished, cmbSetup, nullptr);
    disconnect(cmbSetup->lineEdit(), &QLineEdit::returnPressed, cmbSetup, nullptr);
    cmbSetup->setMinimumContentsLength(16);
    cmbSetup->lineEdit()->setAccessibleName(QStringLiteral("Name"));
    Label1->setBuddy(cmbSetup);

    Frame1 = named<QGroupBox>(QStringLiteral("Frame1"), QStringLiteral("Alarm"), this);
    for (int i = 0; i < setuptexts::kWhenCount; ++i) {
        optWhen[static_cast<std::size_t>(i)] = named<QRadioButton>(
            QStringLiteral("optWhen%1").arg(i),
            QString::fromLatin1(setuptexts::kWhenCaptions[static_cast<std::size_t>(i)]), Frame1);
    }
    Label2 = named<QLabel>(QStringLiteral("Label2"), QStringLiteral("Enter time (hh:mm)"), Frame1);
    txtAlarmTime = named<QLineEdit>(QStringLiteral("txtAlarmTime"), Frame1);
    txtAlarmTime->setToolTip(QStringLiteral("24 hour format"));
    Label2->setBuddy(txtAlarmTime);
    chkLocalTime =
        named<QCheckBox>(QStringLiteral("chkLocalTime"), QStringLiteral("Local Time"), Frame1);
    chkOtherTime =
        named<QCheckBox>(QStringLiteral("chkOtherTime"), QStringLiteral("Other Time"), Frame1);
    Label3 = named<QLabel>(QStringLiteral("Label3"), QStringLiteral("Select Sound File to play:"),
                           Frame1);
    txtAlarmSound = named<SoundBox>(QStringLiteral("txtAlarmSound"), Frame1);
    // An alarm without a file of its own is not silent: the box says what it rings then.
    txtAlarmSound->setPlaceholderText(QStringLiteral("(none: the built-in tone)"));
    Label3->setBuddy(txtAlarmSound);
    cmdTryIt = makeButton(QStringLiteral("Try it"), QStringLiteral("cmdTryIt"), Frame1);

    cmdOK = makeButton(QStringLiteral("OK"), QStringLiteral("cmdOK"), this);
    cmdSave = makeButton(QStringLiteral("Save"), QStringLiteral("cmdSave"), this);
    cmdDelete = makeButton(QStringLiteral("Delete"), QStringLiteral("cmdDelete"), this);
    cmdCancel = makeButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), this);

    auto* options = new QVBoxLayout;
    for (QRadioButton* option : optWhen)
        options->addWidget(option);
    options->addStretch();

    auto* timeBase = new QHBoxLayout;
    timeBase->addWidget(chkLocalTime);
    timeBase->addWidget(chkOtherTime);
    timeBase->addStretch();

    auto* sound = new QHBoxLayout;
    sound->addWidget(txtAlarmSound, 1);
    sound->addWidget(cmdTryIt);

    auto* entry = new QVBoxLayout;
    entry->addWidget(Label2);
    entry->addWidget(txtAlarmTime);
    entry->addLayout(timeBase);
    entry->addWidget(Label3);
    entry->addLayout(sound);
    entry->addStretch();

    auto* frame = new QHBoxLayout(Frame1);
    frame->addLayout(options);
    frame->addLayout(entry, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdDelete);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(cmbSetup, 0, 1);
    grid->addWidget(Frame1, 1, 0, 1, 2);
    grid->addLayout(buttons, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
}

void frmSetup::connectHandlers() {
    connect(cmbSetup, &QComboBox::currentIndexChanged, this, &frmSetup::cmbSetup_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmSetup::cmdSave_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmSetup::cmdOK_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmSetup::cmdDelete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetup::cmdCancel_Click);
    connect(cmdTryIt, &QPushButton::clicked, this, &frmSetup::cmdTryIt_Click);
    connect(txtAlarmSound, &SoundBox::pressedByReader, this, &frmSetup::txtAlarmSound_Click);
    connect(chkLocalTime, &QCheckBox::stateChanged, this, &frmSetup::chkLocalTime_Click);
    connect(chkOtherTime, &QCheckBox::stateChanged, this, &frmSetup::chkOtherTime_Click);

    for (int i = 0; i < setuptexts::kWhenCount; ++i) {
        QRadioButton* option = optWhen[static_cast<std::size_t>(i)];
        connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optWhen_Click(i);
        });
        connect(option, &QRadioButton::pressed, this,
                [this, option] { m_optionCheckedWhenPressed = option->isChecked(); });
        connect(option, &QRadioButton::clicked, this, [this, i] {
            const bool again = m_optionCheckedWhenPressed;
            m_optionCheckedWhenPressed = false;
            if (again)
                optWhen_Click(i);
        });
    }

    // The combo box is its line edit's focus proxy: keys typed by a person reach the combo box
    // first and are passed on without filters, so both are watched.
    cmbSetup->installEventFilter(this);
    cmbSetup->lineEdit()->installEventFilter(this);
    txtAlarmTime->installEventFilter(this);
    txtAlarmSound->installEventFilter(this);
}

void frmSetup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only the program's own showing counts as an activation: coming back from a message box, a
    // file dialog or another application must not reload and throw away unsaved edits. The one
    // window of ours that opens over the editor, the date picker, is handled where it closes.
    if (!event->spontaneous())
        Form_Activate();
}

void frmSetup::done(int result) {
    // Form_Unload: remember where the window was left.
    try {
        windowposition::write(m_services.store, setuptexts::kEditorLeft, setuptexts::kEditorTop,
                              *this);
    } catch (const RuntimeError& error) {
        report(error, "Form_Unload");
    }
    QDialog::done(result);
}

bool frmSetup::eventFilter(QObject* watched, QEvent* event) {
    // A wheel turned over the name box while scrolling past it would load another setup over
    // the edits on screen: only a choice from the list does that.
    if (event->type() == QEvent::Wheel && watched == cmbSetup)
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (watched == cmbSetup || watched == cmbSetup->lineEdit())) {
            cmdSave_Click();
            return true;
        }
        if (enter && watched == txtAlarmTime) {
            cmdOK_Click();
            // The time box still gets its key, as any other key typed there.
            return false;
        }
        // The keyboard's way to what a click on these boxes opens: the keys that open a
        // drop-down elsewhere, and on the sound box, which takes no typing, Enter and Space too.
        const bool dropDown = key->key() == Qt::Key_F4 ||
                              (key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier);
        if (watched == txtAlarmSound && (enter || dropDown || key->key() == Qt::Key_Space)) {
            txtAlarmSound_Click();
            return true;
        }
        if (watched == txtAlarmTime && dropDown) {
            txtAlarmTime_Click();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            if (watched == txtAlarmTime)
                txtAlarmTime_Click();
            else if (watched == txtAlarmSound)
                txtAlarmSound_Click();
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Loading -----------------------------------------------------------------------------------

void frmSetup::Form_Activate() {
    if (!m_reload)
        return;
    m_selectedIndex = 0;

    // Loading goes on past a failing step: an empty list, a When index out of range or an
    // unreadable alarm time must still leave the rest of the setup shown.
    static constexpr std::array steps = {
        &frmSetup::loadResetSoundBox, &frmSetup::loadResetTimeBase, &frmSetup::loadSetupCount,
        &frmSetup::loadClearList,     &frmSetup::loadSetupName,     &frmSetup::loadList,
        &frmSetup::loadSelectEntry,   &frmSetup::loadWhenIndex,     &frmSetup::loadWhenOption,
        &frmSetup::loadLocalZone,     &frmSetup::loadOtherZone,     &frmSetup::loadAlarmTime,
        &frmSetup::loadTimeBase,      &frmSetup::loadSound,
    };
    for (const auto step : steps) {
        try {
            (this->*step)();
        } catch (const std::exception&) {
            if (m_selectedIndex == -1)
                return;
        }
    }
}

void frmSetup::loadResetSoundBox() {
    txtAlarmSound->clear();
}

void frmSetup::loadResetTimeBase() {
    {
        const ProgramChange change(chkLocalTime);
        chkLocalTime->setChecked(true);
    }
    const ProgramChange change(chkOtherTime);
    chkOtherTime->setChecked(false);
}

void frmSetup::loadSetupCount() {
    m_setupCount = ValInt16(m_services.store.read(keys::kSettings, keys::kNbSetup));
}

void frmSetup::loadClearList() {
    const QSignalBlocker quiet(cmbSetup);
    cmbSetup->clear();
    m_listedNames.clear();
}

void frmSetup::loadSetupName() {
    m_setupName = m_services.store.read(keys::kSettings, keys::kCurrSetup);
}

void frmSetup::loadList() {
    for (int i = 0; i < m_setupCount; ++i) {
        const QString name = m_services.store.read(keys::kSettings, keys::setupKey(i));
        if (name.isEmpty() || name == keys::kDefaultSetup)
            continue;
        appendEntry(name);
        m_listedNames.append(name);
        if (m_setupName != setuptexts::kNoSetup && m_setupName == name) {
            const ProgramChange change(cmbSetup);
            const int position = cmbSetup->count() - 1;
            selectEntry(position);
            m_selectedIndex = static_cast<std::int16_t>(position);
        }
    }
}

void frmSetup::loadSelectEntry() {
    const ProgramChange change(cmbSetup);
    selectEntry(m_selectedIndex);
}

void frmSetup::loadWhenIndex() {
    m_whenIndex = ValInt16(m_services.store.read(m_setupName, keys::kWhen));
}

void frmSetup::loadWhenOption() {
    const ProgramChange change(optWhen[0]);
    if (m_whenIndex < 0 || m_whenIndex >= setuptexts::kWhenCount)
        throw RuntimeError(QStringLiteral("Control array element does not exist"));
    optWhen[static_cast<std::size_t>(m_whenIndex)]->setChecked(true);
}

void frmSetup::loadLocalZone() {
    // The zone the clock shows, which is the one alarms ring in: the store may not hold it yet
    // (a first start's zone, a Local row chosen within the last second).
    const int index = m_host.localIndex();
    if (index >= 0 && index <= 23)
        m_zones.local = index;
    if (m_host.localHalf() == 1)
        m_zones.local -= 0.5;
}

void frmSetup::loadOtherZone() {
    const std::int16_t index = ValInt16(m_services.store.read(m_setupName, keys::kOtherIndex));
    if (index >= 0 && index <= 23)
        m_zones.other = index;
    if (m_services.store.read(m_setupName, keys::kChk05Other) == QLatin1String("1"))
        m_zones.other -= 0.5F;
}

void frmSetup::loadAlarmTime() {
    const QString stored = m_services.store.read(m_setupName, keys::kAlarmTimeGMT);
    if (stored.isEmpty()) {
        txtAlarmTime->setText(QStringLiteral("00:00"));
        m_alarmTime = 0.0;
        return;
    }
    // Unreadable text keeps the alarm time of the setup loaded before, and that one is shown.
    if (const auto time = parseDate(stored))
        m_alarmTime = *time;
    const DateValue shown = chkLocalTime->isChecked() ? GMTToLocal(m_alarmTime, m_zones, today())
                                                      : GMTToOther(m_alarmTime, m_zones, today());
    txtAlarmTime->setText(timeBoxText(shown, m_whenIndex == setuptexts::kWhenOnce && shown > 1.0));
}

void frmSetup::loadTimeBase() {
    // Left enabled on purpose: turning Local off runs the time-base switch, which converts the
    // Local time just shown into the setup's Other time.
    if (m_services.store.read(m_setupName, keys::kChkLocalTime) == QLatin1String("0")) {
        chkLocalTime->setChecked(false);
        chkOtherTime->setChecked(true);
    } else {
        chkLocalTime->setChecked(true);
        chkOtherTime->setChecked(false);
    }
}

void frmSetup::loadSound() {
    m_soundPath = m_services.store.read(m_setupName, keys::kSound);
    showSoundPath();
}

// Choosing a listed setup -------------------------------------------------------------------

void frmSetup::cmbSetup_Click(int index) {
    if (!cmbSetup->isEnabled() || index < 0)
        return;
    try {
        m_services.store.write(keys::kSettings, keys::kCurrSetup, cmbSetup->itemText(index));
    } catch (const RuntimeError& error) {
        // The reload below then shows again the setup the store still names.
        report(error, "cmbSetup_Click");
    }
    Form_Activate();
}

// Helpers -----------------------------------------------------------------------------------

int frmSetup::findEntry(const QString& name) const {
    for (int i = 0; i < cmbSetup->count(); ++i) {
        if (cmbSetup->itemText(i) == name)
            return i;
    }
    return -1;
}

int frmSetup::selectedEntry() const {
    // Typing into the name box leaves the list without a chosen entry, as far as the editor is
    // concerned, even though Qt keeps its current index.
    const int current = cmbSetup->currentIndex();
    if (current >= 0 && cmbSetup->itemText(current) == cmbSetup->currentText())
        return current;
    return -1;
}

void frmSetup::appendEntry(const QString& name) {
    // Adding to an empty list makes Qt choose the entry at once; the list's own handler must
    // see only real choices.
    const QSignalBlocker quiet(cmbSetup);
    cmbSetup->addItem(name);
}

void frmSetup::removeEntry(int index) {
    const QSignalBlocker quiet(cmbSetup);
    cmbSetup->removeItem(index);
    // Nothing chosen afterwards: the fields still show the removed setup, and a neighbour's name
    // in the box would invite saving them under it.
    cmbSetup->setCurrentIndex(-1);
    cmbSetup->clearEditText();
}

void frmSetup::selectEntry(int index) {
    if (index < -1 || index >= cmbSetup->count())
        throw RuntimeError(QStringLiteral("Invalid property value"));
    cmbSetup->setCurrentIndex(index);
}

bool frmSetup::refuseName(const QString& name) {
    if (name.isEmpty()) {
        m_services.messages.inform(this, setuptexts::kEmptyName);
        return true;
    }
    if (name == keys::kSettings) {
        m_services.messages.inform(this, setuptexts::kReservedName);
        return true;
    }
    return false;
}

void frmSetup::showSoundPath() {
    txtAlarmSound->setText(fileNamePart(m_soundPath));
    txtAlarmSound->setToolTip(m_soundPath);
}

QString frmSetup::timeBoxText(DateValue t, bool withDate) const {
    const QString time = formatDate(t, QStringLiteral("hh:mm AM/PM"));
    return withDate ? formatDate(t, QStringLiteral("Short Date")) + u' ' + time : time;
}

QDate frmSetup::today() const {
    return m_services.clock.now().date();
}

void frmSetup::report(const RuntimeError& error, const char* procedure) {
    m_services.messages.inform(this, error.description() + QStringLiteral(" in ") +
                                         QLatin1String(procedure) + QStringLiteral("()"));
}
