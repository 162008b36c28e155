// SPDX-License-Identifier: GPL-3.0-or-later
// Any settings file: ReadAlarms throws nothing but RuntimeError, and the alarm test runs over
// whatever table it leaves.

#include "AlarmTest.h"
#include "IniSettingsStore.h"
#include "Numeric.h"
#include "ReadAlarms.h"
#include "RuntimeError.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // In the folder the fuzzer runs in (fuzz.sh: one in memory). QSettings reads a file again
    // only when its time stamp has changed.
    static qint64 stamp = 1'000'000'000;
    QFile file(QStringLiteral("readalarms.ini"));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
    file.write(reinterpret_cast<const char*>(data), qsizetype(size));
    file.setFileTime(QDateTime::fromSecsSinceEpoch(++stamp), QFileDevice::FileModificationTime);
    const IniSettingsStore store(file.fileName());
    // Thousands of listed setups take seconds an input and teach nothing new.
    if (const double count = Val(store.read("Settings", "nbSetup")); count > 64 && count < 32767.5)
        return 0;
    AlarmTable table;
    try {
        ReadAlarms(store, table);
    } catch (const RuntimeError&) {
    }
    dueAlarms(table, 46363.6, buildDayNames(QLocale::c()), QLocale::c()); // a Monday, 14:24

    return 0;
}
