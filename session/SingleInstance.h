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
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this program holds the display (or nothing can be held: see
    // claimRuntimeFolder); false when another one does and has been asked to come forward,
    // with the activation token the desktop gave this start (its startup id on X11, read before
    // Qt takes it from the environment; empty when there is none).
    bool claim(const QString& activationToken = {});
    // After claim() gave false: empty when the clock holding the display took the request,
    // otherwise what to tell the person (it is frozen, or hung).
    QString problem() const { return m_problem; }

    // One name for one display however it is spelt: "unix:1", ":01" and ":1.0" are ":1".
    static QString displayKey(const QString& display);
    // Why the lock cannot be kept in `folder`: none given, not a folder, or one that is not the
    // person's own (another's, or open to all); empty when it can.
    static QString runtimeFolderProblem(const QString& folder);

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

    QString m_problem;
    int m_lock = -1;
    int m_pipe = -1;
};
