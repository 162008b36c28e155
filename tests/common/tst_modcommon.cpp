#include "SoundPlayer.h"
#include "modCommon.h"

#include <QTest>

namespace {

class FakePlayer : public SoundPlayer {
public:
    explicit FakePlayer(QString answer) : m_answer(std::move(answer)) {}
    QString play(const QString& path) override {
        played << path;
        return m_answer;
    }
    QStringList played;

private:
    QString m_answer;
};

} // namespace

class TestModCommon : public QObject {
    Q_OBJECT

private slots:
    void playSoundStartsThePlayer();
    void playSoundNamesItselfInErrors();
};

void TestModCommon::playSoundStartsThePlayer() {
    FakePlayer player("");
    const QString path = QString::fromUtf8("/home/zoë/Klänge/gong.wav");
    QCOMPARE(PlaySound(player, path), QString());
    QCOMPARE(player.played, QStringList{path});
}

void TestModCommon::playSoundNamesItselfInErrors() {
    FakePlayer player("File not found");
    QCOMPARE(PlaySound(player, "/nope.wav"), QString("File not found in PlaySound()"));
}

QTEST_GUILESS_MAIN(TestModCommon)
#include "tst_modcommon.moc"
