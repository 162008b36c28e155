// The store's reading of the setups: ReadAlarms over a settings file made of the fuzzer's bytes
// (any text, QSettings' escapes and "@Variant(...)" values included), then the alarm test over
// the table at a few moments. ReadAlarms may only throw RuntimeError; the table it leaves holds
// at most 32767 entries whose masks are those of the five repeat rules.

#include "AlarmTest.h"
#include "FuzzInput.h"
#include "IniSettingsStore.h"
#include "Numeric.h"
#include "ReadAlarms.h"
#include "RuntimeError.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const DayNames dayNames = buildDayNames(QLocale(QStringLiteral("en_US")));
    static const QSet<std::int16_t> masks{0,
                                          whenmask::kNever,
                                          whenmask::kEveryDay,
                                          whenmask::kWeekEnd,
                                          whenmask::kWeekDays,
                                          whenmask::kOnce};

    const QString file = fuzzinput::settingsFile();
    fuzzinput::writeFile(file, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const IniSettingsStore store(file);
    // A count in the hundreds or thousands makes ReadAlarms read that many keys, each through a
    // fresh QSettings: seconds an input under the sanitizers, and nothing new to learn after
    // the first few entries. Such inputs are left out; counts beyond 16 bits, which fail at
    // once, stay in. (The widget tests start the clock with 32767 setups listed.)
    const double count = Val(store.read(QStringLiteral("Settings"), QStringLiteral("nbSetup")));
    if (count > 64 && count < 32767.5)
        return 0;
    AlarmTable table;
    try {
        ReadAlarms(store, table);
    } catch (const RuntimeError&) {
        // Reported by the caller as "... in ReadAlarms()"; what was read so far stays.
    }

    if (table.size() > 32767)
        fuzzinput::broken(QStringLiteral("%1 entries").arg(table.size()));
    for (const AlarmEntry& e : table) {
        if (!masks.contains(e.whenMask))
            fuzzinput::broken(QStringLiteral("mask %1 for \"%2\"").arg(e.whenMask).arg(e.name));
    }
    // The alarm test over the whole table, at midnight, at a minute of a Monday, and at the
    // last second the date scale can show.
    for (const DateValue reference : {46363.0, 46363.0 + 14.0 / 24 + 1.0 / 1440, 2958465.99998})
        dueAlarms(table, reference, dayNames, QLocale(QStringLiteral("en_US")));
    return 0;
}
