// A stand-in for the clock's setup editor, run as a child process by the store fault tests.
//
//   store_writer write <file> <keys|section> <first generation> <first setup> <setups> [rounds]
//       Saves the setups over and over, round after round, each save writing the generation
//       number into every key of the setup. "keys" writes key by key as the editor does;
//       "section" writes the setup's keys as one change. After each completed save it prints
//       "<setup> <generation>" and flushes, so the parent knows what must already be stored.
//       It prints "ready" before the first save. Without [rounds] it runs until killed.
//   store_writer hold <file>
//       A clock that stays open: for each line "<section> <key> <value>" read from its input it
//       writes that key and prints "ok" (or "failed"). Ends at the end of its input.
//   store_writer check <file> <setups>
//       Reads the file afresh, as a newly started clock would, and prints "status <n>" (the
//       QSettings status) and one line "<setup> <key> <value>" for each key of each setup
//       that is present (values are decimal numbers, so they need no quoting).

#include "IniSettingsStore.h"
#include "RuntimeError.h"
#include "StoreWriterSetups.h"

#include <QCoreApplication>
#include <QSettings>

#include <cstdio>
#include <cstdlib>

namespace {

void save(IniSettingsStore& store, const QString& name, bool asSection, qint64 generation) {
    const QString value = QString::number(generation);
    if (asSection) {
        QMap<QString, QString> values;
        for (const QString& key : storewriter::setupKeys())
            values.insert(key, value);
        store.writeSection(name, values);
    } else {
        for (const QString& key : storewriter::setupKeys())
            store.write(name, key, value);
    }
    // The editor names the saved setup as the current one right after saving it.
    store.write(QStringLiteral("Settings"), QStringLiteral("currSetup"), name);
}

int write(const QStringList& args) {
    if (args.size() < 7)
        return 2;
    IniSettingsStore store(args[2]);
    const bool asSection = args[3] == QLatin1String("section");
    const qint64 first = args[4].toLongLong();
    const int firstSetup = args[5].toInt();
    const int setups = args[6].toInt();
    const qint64 rounds = args.size() > 7 ? args[7].toLongLong() : -1;
    const QStringList names = storewriter::setupNames();
    // The store's first use loads QSettings' machinery; done before "ready", so that the time
    // after it is spent saving and a kill at a random moment lands in a save.
    store.read(QStringLiteral("Settings"), QStringLiteral("currSetup"));
    std::printf("ready\n");
    std::fflush(stdout);
    for (qint64 round = 0; rounds < 0 || round < rounds; ++round) {
        for (int s = firstSetup; s < firstSetup + setups; ++s) {
            try {
                save(store, names.at(s), asSection, first + round);
            } catch (const RuntimeError& e) {
                std::fprintf(stderr, "write failed: %s\n", qPrintable(e.description()));
                return 1;
            }
            std::printf("%d %lld\n", s, first + round);
            std::fflush(stdout);
        }
    }
    return 0;
}

int hold(const QStringList& args) {
    if (args.size() < 3)
        return 2;
    IniSettingsStore store(args[2]);
    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        const QStringList parts = QString::fromUtf8(line).trimmed().split(u' ');
        if (parts.size() != 3)
            continue;
        try {
            store.write(parts[0], parts[1], parts[2]);
            std::printf("ok\n");
        } catch (const RuntimeError&) {
            std::printf("failed\n");
        }
        std::fflush(stdout);
    }
    return 0;
}

int check(const QStringList& args) {
    if (args.size() < 4)
        return 2;
    const QString file = args[2];
    const int setups = args[3].toInt();
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.childGroups(); // makes QSettings read the file
        std::printf("status %d\n", int(settings.status()));
    }
    IniSettingsStore store(file);
    const QStringList names = storewriter::setupNames();
    for (int s = 0; s < setups; ++s) {
        for (const QString& key : storewriter::setupKeys()) {
            const QString value = store.read(names.at(s), key);
            if (!value.isEmpty())
                std::printf("%d %s %s\n", s, qPrintable(key), qPrintable(value));
        }
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args[1] == QLatin1String("write"))
        return write(args);
    if (args.size() >= 2 && args[1] == QLatin1String("hold"))
        return hold(args);
    if (args.size() >= 2 && args[1] == QLatin1String("check"))
        return check(args);
    std::fprintf(stderr, "usage: store_writer write|hold|check ...\n");
    return 2;
}
