#pragma once

#include "SoundPlayer.h"

#include <QStringList>

// Sound for tests and headless runs: plays nothing and remembers every path it was asked to
// play, the empty one included.
class NullSoundPlayer final : public SoundPlayer {
public:
    QString play(const QString& path) override {
        m_played.append(path);
        return m_result;
    }

    const QStringList& played() const { return m_played; }
    // What play() answers from now on; "" (the default) is success.
    void setResult(const QString& result) { m_result = result; }

private:
    QStringList m_played;
    QString m_result;
};
