#include "SoundPlayer.h"
#include "modCommon.h"

#include <QTest>

namespace {

struct FakePlayer : SoundPlayer {
    QString play(const QString& path) override {
        played << path;
        return answer;
    }
    QStringList played;
    QString answer;
};

} // namespace

class TestModCommon : public QObject {
    Q_OBJECT

private slots:
    void playSound() {
        FakePlayer player;
        const QString path = QString::fromUtf8("/home/zoë/Klänge/gong.wav");
        QCOMPARE(PlaySound(player, path), QString());
        QCOMPARE(player.played, QStringList{path});
        // A failure names where it was met.
        player.answer = "File not found";
        QCOMPARE(PlaySound(player, "/nope.wav"), QString("File not found in PlaySound()"));
    }
};

QTEST_GUILESS_MAIN(TestModCommon)
#include "tst_modcommon.moc"
