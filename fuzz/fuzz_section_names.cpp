// The store's section-name escaping. Every name a user can type (any valid Unicode text) must
// come back exactly: through the escaping functions alone, and through a real settings file
// written by one IniSettingsStore and read by another on a copy QSettings has never seen.
// Two different names must never share a section.

#include "FuzzInput.h"
#include "IniSettingsStore.h"
#include "RuntimeError.h"

#include <QFile>

namespace {

// Text a user can type: valid Unicode. A lone surrogate cannot be typed, and UTF-8 (the file's
// encoding) cannot hold one.
QString typeable(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzinput::Bytes in(data, size);
    const QString first = typeable(in.field());
    const QString second = typeable(in.rest());

    for (const QString& name : {first, second}) {
        const QString group = IniSettingsStore::groupForSection(name);
        if (IniSettingsStore::sectionForGroup(group) != name)
            fuzzinput::broken(QStringLiteral("\"%1\" escaped as \"%2\" comes back as \"%3\"")
                                  .arg(name, group, IniSettingsStore::sectionForGroup(group)));
        // Plain names stay plain, so that the file stays readable.
        bool plain =
            !name.isEmpty() && name.compare(QLatin1String("general"), Qt::CaseInsensitive) != 0;
        for (const QChar c : name)
            plain = plain && c != u'%' && c != u'/' && c != u'\\';
        if (plain && group != name)
            fuzzinput::broken(
                QStringLiteral("plain name \"%1\" escaped as \"%2\"").arg(name, group));
    }
    if (first != second &&
        IniSettingsStore::groupForSection(first) == IniSettingsStore::groupForSection(second))
        fuzzinput::broken(QStringLiteral("\"%1\" and \"%2\" share a group").arg(first, second));

    // Through the file. The texts are limited so that each run stays fast.
    if (first.size() > 200 || second.size() > 200)
        return 0;
    // The store writes the first file; its bytes are copied into the second, which is then
    // read as a clock started afresh would read it.
    const QString file = fuzzinput::settingsFile(0);
    const QString copy = fuzzinput::settingsFile(1);
    fuzzinput::removeFile(file);
    try {
        IniSettingsStore writer(file);
        writer.write(first, QStringLiteral("OtherIndex"), QStringLiteral("first"));
        writer.write(second, QStringLiteral("When"), QStringLiteral("second"));
        QFile written(file);
        if (!written.open(QIODevice::ReadOnly))
            fuzzinput::broken(QStringLiteral("the store wrote no file"));
        fuzzinput::writeFile(copy, written.readAll());
        const IniSettingsStore reader(copy);
        const QString a = reader.read(first, QStringLiteral("OtherIndex"));
        const QString b = reader.read(second, QStringLiteral("When"));
        if (a != QLatin1String("first") || b != QLatin1String("second") ||
            !reader.hasSection(first) || !reader.hasSection(second))
            fuzzinput::broken(
                QStringLiteral("\"%1\" / \"%2\" read back from the file as \"%3\" / \"%4\"")
                    .arg(first, second, a, b));
        if (first != second && (!reader.read(first, QStringLiteral("When")).isEmpty() ||
                                !reader.read(second, QStringLiteral("OtherIndex")).isEmpty()))
            fuzzinput::broken(
                QStringLiteral("\"%1\" and \"%2\" share keys in the file").arg(first, second));
    } catch (const RuntimeError& e) {
        fuzzinput::broken(QStringLiteral("the store failed: %1").arg(e.description()));
    }
    return 0;
}
