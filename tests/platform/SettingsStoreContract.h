#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <utility>

class SettingsStore;

// Names a user can type as a setup name, each with a label for the test log. Among them every
// text QSettings would otherwise nest, drop or fold together.
QList<std::pair<const char*, QString>> typedSectionNames();

// What every settings store promises, run against each implementation by deriving from this.
class SettingsStoreContract : public QObject {
    Q_OBJECT

protected:
    // Empties the storage behind store().
    virtual void startEmpty() = 0;
    virtual SettingsStore& store() = 0;
    // The same storage as a later run of the program sees it.
    virtual const SettingsStore& reopened() = 0;

private slots:
    void init();

    void absentValuesReadAsEmptyText();
    void namesAreKeptExactlyAndApart_data();
    void namesAreKeptExactlyAndApart();
    void valuesAreKeptExactly_data();
    void valuesAreKeptExactly();
    void deletingRemovesTheWholeSectionOnly();
    void deletingAMissingSectionFails();
};
