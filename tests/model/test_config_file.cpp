// Configuration files: the acceptance rule on opening and the safe write.
#include "ScriptedDialogs.h"
#include "model/ConfigFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i + 1);
    return bytes;
}

} // namespace

class TestConfigFile : public QObject {
    Q_OBJECT
private slots:
    void readAcceptsAtLeastTheImageLength_data();
    void readAcceptsAtLeastTheImageLength();
    void readOfMissingFileShowsSystemText();
    void writeReplacesWholeFile();
    void writeThatCannotCreateMakesNoImage();
};

void TestConfigFile::readAcceptsAtLeastTheImageLength_data() {
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("exact six-extension") << 76 << 76 << true;
    QTest::newRow("six-extension file as four-extension") << 76 << 60 << true;
    QTest::newRow("one byte more") << 61 << 60 << true;
    QTest::newRow("four-extension file as six-extension") << 60 << 76 << false;
    QTest::newRow("one byte short") << 59 << 60 << false;
    QTest::newRow("empty") << 0 << 60 << false;
}

void TestConfigFile::readAcceptsAtLeastTheImageLength() {
    QFETCH(int, fileSize);
    QFETCH(int, length);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    const QString path = dir.filePath("c.tkx");
    QVERIFY(writeBytes(path, pattern(fileSize)));
    ScriptedDialogs dialogs;
    if (!accepted)
        dialogs.expect("ErrorDialog", DialogResult::Ok);
    const std::optional<QByteArray> image = readConfigurationFile(path, length, dialogs);
    QVERIFY(dialogs.allAnswered());
    QCOMPARE(image.has_value(), accepted);
    if (accepted) {
        QCOMPARE(*image, pattern(fileSize).left(length));
    } else {
        QCOMPARE(dialogs.shown.last().caption, FileErrorCaption);
        QCOMPARE(dialogs.shown.last().lines,
                 (QStringList{"Fehler!", "Die Datei ist keine Konfigurationsdatei!"}));
    }
}

void TestConfigFile::readOfMissingFileShowsSystemText() {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    dialogs.expect("MessageBox", DialogResult::Ok);
    QVERIFY(!readConfigurationFile(dir.filePath("missing.tkx"), 60, dialogs));
    QVERIFY(dialogs.allAnswered());
    QVERIFY(!dialogs.shown.last().lines.first().isEmpty());
}

void TestConfigFile::writeReplacesWholeFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("c.tkx");
    QVERIFY(writeBytes(path, pattern(200)));
    ScriptedDialogs dialogs;
    QVERIFY(writeConfigurationFile(
        path, [] { return pattern(60); }, SaveAsFailedLine, dialogs));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), pattern(60)); // no tail of the longer file is left
}

void TestConfigFile::writeThatCannotCreateMakesNoImage() {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    dialogs.expect("MessageBox", DialogResult::Ok);
    bool imageMade = false;
    const bool written = writeConfigurationFile(
        dir.filePath("no/folder/c.tkx"),
        [&imageMade] {
            imageMade = true;
            return pattern(60);
        },
        SaveAsFailedLine, dialogs);
    QVERIFY(!written);
    QVERIFY(!imageMade); // the editor's image is made only once the file exists
    QVERIFY(dialogs.allAnswered());
}

QTEST_GUILESS_MAIN(TestConfigFile)
#include "test_config_file.moc"
