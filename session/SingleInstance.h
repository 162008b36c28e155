// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QVariantMap>

// One clock per person and display. Two clocks would each ring every alarm and overwrite each
// other's settings, so the first program started on a display holds a name there: on the
// session bus, and in the runtime folder, which also serves where there is no bus. A later
// start asks the holder to come to the front and ends.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit SingleInstance(QObject* parent = nullptr);

    // True when this program holds the display; false when another one does and has been asked
    // to come forward, with the activation token the desktop gave this start (its startup id
    // on X11, read before Qt takes it from the environment; empty when there is none).
    bool claim(const QString& activationToken = {});

public slots:
    // What a desktop calls to bring an application forward; a later start calls it too.
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);

signals:
    // `activationToken` is the one the later start passed on, empty when it had none.
    void activationRequested(const QString& activationToken);

private:
    // Both names are held until the program ends, when the system lets go of them.
    bool claimBus(const QString& name, const QString& activationToken);
    bool claimRuntimeFolder(const QString& name, const QString& activationToken);

    int m_lock = -1;
    int m_pipe = -1;
};
