// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile settings files, read by the real store: each gives its message, and the window still
// shows on the screen, ticks and closes.
#include "Fixture.h"
#include "IniSettingsStore.h"

#include <QDir>
#include <QScreen>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kFile = "[Settings]\nTop=1500\nLeft=1500\nLocalIndex=11\ncurrSetup=Tokyo\n"
                         "nbSetup=1\nSetup0=Tokyo\n\n[Tokyo]\nOtherIndex=2\nWhen=1\n";

// The file with each "key=value" line in place of the key's own.
QByteArray with(std::initializer_list<QByteArray> lines) {
    QByteArray text = kFile;
    for (const QByteArray& line : lines) {
        const qsizetype at = text.indexOf('\n' + line.left(line.indexOf('=') + 1)) + 1;
        text.replace(at, text.indexOf('\n', at) - at, line);
    }
    return text;
}

} // namespace

class TestStoredValues : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    QString m_file;
    int m_files = 0;

private slots:
    void initTestCase() {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path()));
        m_file = IniSettingsStore().fileName();
        QVERIFY(m_file.startsWith(m_home.path()));
        QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    }

    // The file, or what holds its place, and every message from start to close. What is no
    // plain file, or too large, is never waited for nor read, and is left as it is.
    void hostileValues_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char* name, const QByteArray& bytes, const QString& messages,
                            const QString& place = {}) {
            QTest::newRow(name) << bytes << place << messages.split(u'|', Qt::SkipEmptyParts);
        };
        // Closing asks before the shown zone replaces a stored one it could not show.
        const QString ask("|Do you want to save the change of Time Zone for Tokyo ?");
        row("negative nbSetup", with({"nbSetup=-5"}), "Subscript out of range in ReadAlarms()");
        row("huge nbSetup", with({"nbSetup=99999"}), "Overflow in ReadAlarms()");
        row("LocalIndex past 16 bits", with({"LocalIndex=70000"}), "Overflow in Form_Load()");
        row("OtherIndex past 16 bits", with({"OtherIndex=70000"}),
            "Overflow in RefreshSettings()" + ask);
        row("indexes off the list", with({"LocalIndex=-5", "OtherIndex=24"}), ask);
        row("far off screen", with({"Top=-999999", "Left=999999"}), "");
        row("cut short", kFile.left(kFile.indexOf("=Tokyo\n\n") + 3), "");
        const QString refused("The settings file %1 is %2: the clock runs on its defaults and "
                              "writes nothing over it in Form_Load()");
        const QString notPlain = refused.arg(u"%1"_s, u"not a plain file"_s);
        row("a folder in its place", {}, notPlain, u"folder"_s);
        row("a FIFO in its place", {}, notPlain, u"fifo"_s);
        row("a link to /dev/zero", {}, notPlain, u"/dev/zero"_s);
        row("larger than 64 MB", {}, refused.arg(u"%1"_s, u"larger than 64 MB"_s), u"sparse"_s);
    }
    void hostileValues() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, place);
        QFETCH(QStringList, messages);
        QFile::remove(m_file);
        QDir(m_file).removeRecursively();
        QFile file(m_file);
        if (place == u"folder"_s) {
            QVERIFY(QDir().mkpath(m_file));
        } else if (place == u"fifo"_s) {
            QCOMPARE(::mkfifo(QFile::encodeName(m_file).constData(), 0600), 0);
        } else if (place == u"/dev/zero"_s) {
            // As root, a store that wrote through the link would replace the machine's
            // /dev/zero: root links to a zero device of its own instead.
            const QString zero = m_home.filePath(u"zero"_s);
            QFile::remove(zero);
            QVERIFY(::geteuid() != 0 || ::mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0666,
                                                makedev(1, 5)) == 0);
            QVERIFY(QFile::link(::geteuid() == 0 ? zero : place, m_file));
        } else {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            if (place == u"sparse"_s) // a hole, no disk space
                QVERIFY(file.resize(IniSettingsStore::kMaxFileBytes + 1));
            file.close();
        }
        const auto kind = [this] {
            const QFileInfo f(m_file);
            return std::tuple(f.isSymLink(), f.isDir(), f.size(), f.lastModified());
        };
        const auto before = kind();
        IniSettingsStore store;
        Desk d({}, QStringLiteral("14:00:58"), &store);
        frmMain& w = d.load();
        QVERIFY(d.show());
        QVERIFY(w.screen()->availableGeometry().contains(w.frameGeometry()));
        d.tickAt(QTime(14, 0, 59));
        QCOMPARE(d.label("Label1"), QStringLiteral("02:00:59 PM"));
        d.choose("mnLocal24hrs"); // a change to write
        QVERIFY(w.close());
        QCOMPARE(d.messages.texts(), messages.replaceInStrings(QStringLiteral("%1"), m_file));
        QVERIFY(place.isEmpty() || kind() == before); // left as it was
    }
};

QTEST_MAIN(TestStoredValues)
#include "tst_stored_values.moc"
