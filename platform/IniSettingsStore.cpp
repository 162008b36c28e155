#include "IniSettingsStore.h"

#include "RuntimeError.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

#include <utility>

namespace {

const QString organisationAndApplication = QStringLiteral("Meridex");

// Each operation opens the file afresh instead of keeping one QSettings for the store's life:
// QSettings never clears an error status once set, so a long-lived object would report every
// later write as failed after one failure; and a fresh object notices when another process
// changed the file. QSettings shares the parsed file among its objects, so this costs a stat.
class IniFile final : public QSettings {
public:
    explicit IniFile(const QString& fileName) : QSettings(fileName, QSettings::IniFormat) {
        setFallbacksEnabled(false);
    }
};

QString percentEscaped(QChar c) {
    return QLatin1Char('%') + QString::number(c.unicode(), 16).toUpper().rightJustified(2, u'0');
}

bool foldsIntoGeneral(const QString& group) {
    return group.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0;
}

int hexDigitValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

} // namespace

IniSettingsStore::IniSettingsStore()
    : IniSettingsStore(QSettings(QSettings::IniFormat, QSettings::UserScope,
                                 organisationAndApplication, organisationAndApplication)
                           .fileName()) {}

IniSettingsStore::IniSettingsStore(QString filePath) : m_fileName(std::move(filePath)) {}

QString IniSettingsStore::read(const QString& section, const QString& key) const {
    IniFile settings(m_fileName);
    settings.beginGroup(groupForSection(section));
    return settings.value(key, QStringLiteral("")).toString();
}

void IniSettingsStore::write(const QString& section, const QString& key, const QString& value) {
    clearAbandonedLock();
    IniFile settings(m_fileName);
    settings.beginGroup(groupForSection(section));
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    // A FormatError only says that the file read before the write was partly damaged; the
    // write itself still went to disk, so only AccessError counts as a failure.
    if (settings.status() == QSettings::AccessError)
        throwWriteFailure();
}

void IniSettingsStore::writeSection(const QString& section, const QMap<QString, QString>& values) {
    clearAbandonedLock();
    IniFile settings(m_fileName);
    settings.beginGroup(groupForSection(section));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
    settings.endGroup();
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        throwWriteFailure();
}

void IniSettingsStore::deleteSection(const QString& section) {
    // QSettings removes a missing group without complaint; the store's callers rely on
    // hearing about it.
    if (!hasSection(section))
        throw RuntimeError(
            QStringLiteral("The settings section \"%1\" does not exist").arg(section));
    clearAbandonedLock();
    IniFile settings(m_fileName);
    settings.remove(groupForSection(section));
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        throwWriteFailure();
}

bool IniSettingsStore::hasSection(const QString& section) const {
    return IniFile(m_fileName).childGroups().contains(groupForSection(section));
}

// QSettings guards each write with "<file>.lock". A program killed between creating that file
// and writing its process id into it leaves it empty, and QLockFile takes an empty lock for
// stale only once it is 30 s old: until then every save would freeze the window. A live writer
// fills the file within microseconds of creating it, so an empty one a second old is abandoned
// and QLockFile is asked to clear it with a short stale time.
void IniSettingsStore::clearAbandonedLock() const {
    const QString path = m_fileName + QStringLiteral(".lock");
    const QFileInfo info(path);
    if (!info.exists() || info.size() != 0 ||
        info.lastModified().msecsTo(QDateTime::currentDateTime()) < 1000)
        return;
    QLockFile lock(path);
    lock.setStaleLockTime(1000);
    if (lock.tryLock(0))
        lock.unlock();
}

void IniSettingsStore::throwWriteFailure() const {
    throw RuntimeError(QStringLiteral("Cannot write the settings file %1")
                           .arg(QDir::toNativeSeparators(m_fileName)));
}

QString IniSettingsStore::groupForSection(const QString& section) {
    if (section.isEmpty())
        return QStringLiteral("%");
    QString group;
    group.reserve(section.size());
    for (const QChar c : section) {
        if (c == u'%' || c == u'/' || c == u'\\')
            group += percentEscaped(c);
        else
            group += c;
    }
    if (foldsIntoGeneral(group))
        group.replace(0, 1, percentEscaped(group.front()));
    return group;
}

QString IniSettingsStore::sectionForGroup(const QString& group) {
    if (group == QLatin1String("%"))
        return {};
    QString section;
    section.reserve(group.size());
    for (qsizetype i = 0; i < group.size(); ++i) {
        const int high = i + 2 < group.size() ? hexDigitValue(group[i + 1]) : -1;
        const int low = i + 2 < group.size() ? hexDigitValue(group[i + 2]) : -1;
        if (group[i] == u'%' && high >= 0 && low >= 0) {
            section += QChar(char16_t(high * 16 + low));
            i += 2;
        } else {
            // Not written by groupForSection (a hand-edited file): keep the text as it stands.
            section += group[i];
        }
    }
    return section;
}
