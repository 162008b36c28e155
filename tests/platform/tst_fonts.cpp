#include "Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFonts final : public QObject {
    Q_OBJECT

private slots:
    void classicFacesShowAsLiberation_data();
    void classicFacesShowAsLiberation();
};

void TestFonts::classicFacesShowAsLiberation_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("substitute");
    QTest::newRow("Courier New") << u"Courier New"_s << u"Liberation Mono"_s;
    QTest::newRow("MS Sans Serif") << u"MS Sans Serif"_s << u"Liberation Sans"_s;
    QTest::newRow("MS Serif") << u"MS Serif"_s << u"Liberation Serif"_s;
}

void TestFonts::classicFacesShowAsLiberation() {
    QFETCH(QString, face);
    QFETCH(QString, substitute);
    installFontSubstitutions();
    installFontSubstitutions();
    // Qt keeps the table in lower case.
    QCOMPARE(QFont::substitutes(face), QStringList{substitute.toLower()});

    if (!QFontDatabase::families().contains(substitute))
        QSKIP("The Liberation fonts are not installed");
    if (QFontDatabase::families().contains(face))
        QSKIP("The classic face itself is installed");
    QCOMPARE(QFontInfo(QFont(face, 10)).family(), substitute);
}

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
