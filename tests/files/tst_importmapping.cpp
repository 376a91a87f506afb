// The keys of the import mapping: one table for the settings file, the
// import window and the command line.
#include "files/settings.h"

#include <QtTest>

using namespace kervio;

class TestImportMapping : public QObject {
    Q_OBJECT
private slots:
    // Names are matched as the settings file matches its keys, without
    // regard to case; each sets its own field.
    void keysByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field"); // the changed field, empty: no key of that name
        QTest::newRow("due date") << "vade" << "7" << "dueDateColumn";
        QTest::newRow("upper case") << "ISLEM" << "7" << "transactionDateColumn";
        QTest::newRow("first row") << "Basla" << "12" << "firstRow";
        QTest::newRow("check on") << "vadecheck" << "1" << "dueDateIsTransactionDate";
        QTest::newRow("unknown") << "renk" << "1" << "";
        QTest::newRow("empty") << "" << "1" << "";
    }
    void keysByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, field);
        const ImportMappingKey *key = findImportMappingKey(name);
        QCOMPARE(key != nullptr, !field.isEmpty());
        if (!key)
            return;
        ImportMapping m;
        key->setValue(m, value);
        const ImportMapping untouched;
        const QStringList changed = [&] {
            QStringList names;
            if (m.dueDateColumn != untouched.dueDateColumn) names << "dueDateColumn";
            if (m.transactionDateColumn != untouched.transactionDateColumn) names << "transactionDateColumn";
            if (m.descriptionColumn != untouched.descriptionColumn) names << "descriptionColumn";
            if (m.debitColumn != untouched.debitColumn) names << "debitColumn";
            if (m.creditColumn != untouched.creditColumn) names << "creditColumn";
            if (m.firstRow != untouched.firstRow) names << "firstRow";
            if (m.lastRow != untouched.lastRow) names << "lastRow";
            if (m.dueDateIsTransactionDate) names << "dueDateIsTransactionDate";
            return names;
        }();
        QCOMPARE(changed, QStringList{field});
        QCOMPARE(key->value(m), value);
    }

    // A check is on only for "1" and is stored as "1" or "2".
    void checkValues_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        QTest::newRow("1") << "1" << "1";
        QTest::newRow("2") << "2" << "2";
        QTest::newRow("other text") << "true" << "2";
        QTest::newRow("empty") << "" << "2";
    }
    void checkValues()
    {
        QFETCH(QString, stored);
        QFETCH(QString, written);
        const ImportMappingKey *check = findImportMappingKey(u"vadeCheck");
        QVERIFY(check);
        ImportMapping m;
        check->setValue(m, stored);
        QCOMPARE(check->value(m), written);
    }

    // Every field of the mapping has exactly one key.
    void everyFieldHasOneKey()
    {
        ImportMapping m;
        for (const ImportMappingKey &key : importMappingKeys())
            key.setValue(m, QStringLiteral("1"));
        ImportMapping all;
        all.dueDateColumn = all.transactionDateColumn = all.descriptionColumn = all.debitColumn = all.creditColumn =
            all.firstRow = all.lastRow = QStringLiteral("1");
        all.dueDateIsTransactionDate = true;
        QVERIFY(m == all);
    }
};

QTEST_GUILESS_MAIN(TestImportMapping)
#include "tst_importmapping.moc"
