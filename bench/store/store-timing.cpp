// SPDX-License-Identifier: GPL-3.0-or-later
// How long each settings store operation holds the calling thread with many setups:
//
//     build-tests/bench/store/store-timing [SETUPS...]     (default 10000 30000)
//
// For each count: a file of that many setups (each with a daily alarm), then, timed: the first
// read; a change; the file replaced by another program and a change; the file replaced and a
// read; a setup added to the list; the same with the list changed by another program first.
// Each figure is the median of 7 runs of the time on the clock and, in brackets, of the thread's
// processor time, in milliseconds (the machine's load stretches the first only).
#include "IniSettingsStore.h"
#include "StoreKeys.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <functional>

namespace {

double threadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

QByteArray settings(int n, const QByteArray& mark) {
    QByteArray text = "[Settings]\nnbSetup=" + QByteArray::number(n) +
                      "\ncurrSetup=S0\nLocalIndex=11\nMark=" + mark + "\n";
    for (int i = 0; i < n; ++i)
        text += "Setup" + QByteArray::number(i) + "=S" + QByteArray::number(i) + "\n";
    for (int i = 0; i < n; ++i)
        text += "\n[S" + QByteArray::number(i) +
                "]\nOtherIndex=3\nchkDSTOther=0\nchk05Other=0\nAlarmTimeGMT=07:00:00\nWhen=1\n"
                "Sound=\nchkLocalTime=1\n";
    return text;
}

// As another program does it: a new file renamed over the old one.
void replace(const QString& path, const QByteArray& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QByteArray(argv[i]).toInt());
    if (counts.isEmpty())
        counts = {10000, 30000};
    QTextStream out(stdout);
    out << "| setups | first read | change | replaced, change | replaced, read | "
           "setup added | list changed by another, setup added |\n|---|---|---|---|---|---|---|\n";
    for (const int n : counts) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Meridex.ini"));
        QList<QList<double>> times(6), cpu(6);
        for (int run = 0; run < 7; ++run) {
            replace(path, settings(n, "a"));
            IniSettingsStore store(path);
            QElapsedTimer timer;
            const auto time = [&](int column, const std::function<void()>& operation) {
                const double before = threadMs();
                timer.start();
                operation();
                times[column].append(double(timer.nsecsElapsed()) / 1e6);
                cpu[column].append(threadMs() - before);
            };
            time(0, [&] { store.read(QStringLiteral("S1"), QStringLiteral("When")); });
            time(1, [&] { store.write(QStringLiteral("Settings"), QStringLiteral("Top"), "1"); });
            replace(path, settings(n, "b"));
            time(2, [&] { store.write(QStringLiteral("Settings"), QStringLiteral("Top"), "2"); });
            replace(path, settings(n, "c"));
            time(3, [&] { store.read(QStringLiteral("S1"), QStringLiteral("When")); });
            const QString name = QStringLiteral("New") + QString::number(run);
            time(4, [&] { store.changeList(keys::setupList(), {}, {name}); });
            replace(path, settings(n + 1, "d"));
            time(5, [&] { store.changeList(keys::setupList(), {}, {name + u'x'}); });
        }
        out << "| " << n;
        for (qsizetype c = 0; c < times.size(); ++c) {
            std::sort(times[c].begin(), times[c].end());
            std::sort(cpu[c].begin(), cpu[c].end());
            out << " | " << QString::number(times[c][3], 'f', 0) << " ("
                << QString::number(cpu[c][3], 'f', 0) << ")";
        }
        out << " |" << Qt::endl;
    }
    return 0;
}
