#include "MemorySettingsStore.h"
#include "RuntimeError.h"
#include "SettingsStoreContract.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

class TestMemorySettingsStore final : public SettingsStoreContract {
    Q_OBJECT

protected:
    void startEmpty() override { m_store.emplace(); }
    SettingsStore& store() override { return *m_store; }
    const SettingsStore& reopened() override { return *m_store; }

private slots:
    void contentsShowEverythingWritten();
    void startsFromGivenContents();
    void failingWritesChangeNothing();

private:
    std::optional<MemorySettingsStore> m_store;
};

void TestMemorySettingsStore::contentsShowEverythingWritten() {
    m_store->write(u"Settings"_s, u"nbSetup"_s, u"1"_s);
    m_store->write(u"Settings"_s, u"Setup0"_s, u"My Setup"_s);
    m_store->write(u"My Setup"_s, u"When"_s, u""_s);
    const MemorySettingsStore::Contents expected{
        {u"Settings"_s, {{u"nbSetup"_s, u"1"_s}, {u"Setup0"_s, u"My Setup"_s}}},
        {u"My Setup"_s, {{u"When"_s, u""_s}}},
    };
    QCOMPARE(m_store->contents(), expected);
}

void TestMemorySettingsStore::startsFromGivenContents() {
    const MemorySettingsStore seeded({{u"Tokyo"_s, {{u"OtherIndex"_s, u"2"_s}}}});
    QVERIFY(seeded.hasSection(u"Tokyo"_s));
    QCOMPARE(seeded.read(u"Tokyo"_s, u"OtherIndex"_s), u"2");
}

void TestMemorySettingsStore::failingWritesChangeNothing() {
    m_store->write(u"Tokyo"_s, u"When"_s, u"1"_s);
    const MemorySettingsStore::Contents before = m_store->contents();
    m_store->failWrites(u"Disk full"_s);

    try {
        m_store->write(u"Tokyo"_s, u"When"_s, u"2"_s);
        QFAIL("The write succeeded");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.description(), u"Disk full");
    }
    QVERIFY_THROWS_EXCEPTION(RuntimeError, m_store->deleteSection(u"Tokyo"_s));
    QCOMPARE(m_store->contents(), before);

    m_store->failWrites({});
    m_store->write(u"Tokyo"_s, u"When"_s, u"2"_s);
    QCOMPARE(m_store->read(u"Tokyo"_s, u"When"_s), u"2");
}

QTEST_GUILESS_MAIN(TestMemorySettingsStore)
#include "tst_memorysettingsstore.moc"
