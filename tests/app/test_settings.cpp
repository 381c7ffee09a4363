#include "SettingsSandbox.h"
#include "app/Settings.h"

#include <QDir>
#include <QTest>

using namespace talvaro;

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void missingKeyGivesDefaultsAndStoresNothing();
    void portAboveTwentyIsResetInMemoryAndStore_data();
    void portAboveTwentyIsResetInMemoryAndStore();
    void valueOfWrongKindReportsAndFallsBack_data();
    void valueOfWrongKindReportsAndFallsBack();
    void namesCompareWithoutCase();
    void systemDefaultLetsTheUserFileReceiveWrites();
    void emptyWorkDirMeansCurrentDirectory();
    void brokenStoreIsReported();

private:
    QStringList m_errors;
    SettingsStore store() {
        return SettingsStore([this](const QString& m) { m_errors << m; });
    }
};

void TestSettings::missingKeyGivesDefaultsAndStoresNothing() {
    SettingsSandbox sandbox;
    m_errors.clear();
    const StoredSettings s = store().load();
    QCOMPARE(s.workDir, QDir::currentPath() + "/");
    QCOMPARE(s.port, quint16(0));
    QCOMPARE(s.comLogging, false);
    QVERIFY(store().save("/somewhere/", 4));
    QVERIFY(!QFile::exists(sandbox.userFile()));
    QVERIFY(m_errors.isEmpty());
}

void TestSettings::portAboveTwentyIsResetInMemoryAndStore_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("port");
    QTest::newRow("20 stays") << "20" << 20;
    QTest::newRow("21") << "21" << 0;
    QTest::newRow("beyond 16 bits") << "65557" << 0;
    QTest::newRow("negative") << "-1" << 0;
}

void TestSettings::portAboveTwentyIsResetInMemoryAndStore() {
    QFETCH(QString, stored);
    QFETCH(int, port);
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.userFile(), "[General]\nCOM=" + stored + "\n");
    QCOMPARE(int(store().load().port), port);
    const QString expected = port == 0 ? "COM=0" : "COM=" + stored;
    QVERIFY2(SettingsSandbox::read(sandbox.userFile()).contains(expected),
             qPrintable(SettingsSandbox::read(sandbox.userFile())));
}

void TestSettings::valueOfWrongKindReportsAndFallsBack_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("named"); // what the one message names
    QTest::newRow("port as text") << "WorkDir=/daten/\nCOM=abc\nComLogging=1"
                                  << "COM";
    QTest::newRow("port with decimals") << "WorkDir=/daten/\nCOM=1.5"
                                        << "COM";
    QTest::newRow("port empty") << "WorkDir=/daten/\nCOM="
                                << "COM";
    QTest::newRow("port as list") << "WorkDir=/daten/\nCOM=1, 2"
                                  << "COM";
    QTest::newRow("logging as word") << "WorkDir=/daten/\nCOM=2\nComLogging=ja"
                                     << "ComLogging";
}

void TestSettings::valueOfWrongKindReportsAndFallsBack() {
    QFETCH(QString, content);
    QFETCH(QString, named);
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.userFile(), "[General]\n" + content + "\n");
    m_errors.clear();
    const StoredSettings s = store().load();
    QCOMPARE(m_errors.size(), 1);
    QVERIFY2(m_errors[0].contains(named), qPrintable(m_errors[0]));
    // What was read before the error is dropped as well.
    QCOMPARE(s.workDir, QDir::currentPath() + "/");
    QCOMPARE(s.port, quint16(0));
    QCOMPARE(s.comLogging, false);
}

void TestSettings::namesCompareWithoutCase() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.userFile(), "[General]\nworkdir=/daten/\ncom=7\nCOMLOGGING=1\n");
    const StoredSettings s = store().load();
    QCOMPARE(s.workDir, QString("/daten/"));
    QCOMPARE(s.port, quint16(7));
    QVERIFY(s.comLogging);

    QVERIFY(store().save("/neu/", 3));
    const QString text = SettingsSandbox::read(sandbox.userFile());
    QVERIFY(text.contains("workdir=/neu/"));
    QVERIFY(text.contains("com=3"));
    QVERIFY(!text.contains("WorkDir"));
    QVERIFY(!text.contains("COM="));
}

void TestSettings::systemDefaultLetsTheUserFileReceiveWrites() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.systemFile(), "[General]\nCOM=0\nComLogging=1\n");
    QVERIFY(store().keyExists());
    const StoredSettings first = store().load();
    QVERIFY(first.comLogging);
    QCOMPARE(first.port, quint16(0));

    QVERIFY(store().save("/projekte/", 5));
    QVERIFY(QFile::exists(sandbox.userFile()));
    QCOMPARE(SettingsSandbox::read(sandbox.systemFile()),
             QString("[General]\nCOM=0\nComLogging=1\n"));
    const StoredSettings second = store().load();
    QCOMPARE(second.workDir, QString("/projekte/"));
    QCOMPARE(second.port, quint16(5));
    QVERIFY(second.comLogging); // never written: still the system default
}

void TestSettings::emptyWorkDirMeansCurrentDirectory() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.userFile(), "[General]\nWorkDir=\nComLogging=0\n");
    const StoredSettings s = store().load();
    QCOMPARE(s.workDir, QDir::currentPath() + "/");
    QVERIFY(!s.comLogging);
}

void TestSettings::brokenStoreIsReported() {
    SettingsSandbox sandbox;
    SettingsSandbox::write(sandbox.systemFile(), "[General]\nCOM=3\n");
    // A folder where the user's file belongs: nothing can be written there.
    QVERIFY(QDir().mkpath(sandbox.userFile()));
    m_errors.clear();
    QVERIFY(!store().save("/x/", 2));
    QCOMPARE(m_errors.size(), 1);
    QVERIFY(m_errors[0].contains(sandbox.userFile()));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
