#include "FirmwareFiles.h"

#include "firmware/Decryptfw.h"
#include "firmware/FirmwareKeys.h"

#include <QTemporaryDir>
#include <QTest>

using namespace talvaro;

class TestDecryptFirmware : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyDeviceTypeIsFound_data();
    void everyDeviceTypeIsFound();
    void textLayoutDoesNotMatter();
    void sizeLimit();
    void tooShortFilesAreRejected_data();
    void tooShortFilesAreRejected();
    void anyChangedByteIsRejected_data();
    void anyChangedByteIsRejected();
    void foreignKeySetIsRejected();
    void reorderedRecordsAreRejected();
    void brokenStructureIsRejected_data();
    void brokenStructureIsRejected();
    void everyCallStartsAfresh();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Three records of 100 payload bytes for `type`, one line each.
    QList<QByteArray> recordLines(DeviceType type);

    QTemporaryDir m_dir;
    TDecryptFirmware m_decrypt;
};

QList<QByteArray> TestDecryptFirmware::recordLines(DeviceType type) {
    const QByteArray text =
        makeEfw(path(QStringLiteral("lines.efw")),
                {QStringLiteral("--type"), QString::number(type), QStringLiteral("--size"),
                 QStringLiteral("300"), QStringLiteral("--chunk"), QStringLiteral("100")});
    return text.trimmed().split('\n');
}

void TestDecryptFirmware::initTestCase() {
    QVERIFY(m_dir.isValid());
}

void TestDecryptFirmware::everyDeviceTypeIsFound_data() {
    QTest::addColumn<int>("type");
    for (int type = 0; type <= int(HighestDeviceType); ++type)
        QTest::addRow("type %d", type) << type;
}

// Each type's file passes under its own key set only, even though the types before it
// are tried first.
void TestDecryptFirmware::everyDeviceTypeIsFound() {
    QFETCH(int, type);
    const QString file = path(QStringLiteral("type.efw"));
    QVERIFY(
        !makeEfw(file, {QStringLiteral("--type"), QString::number(type), QStringLiteral("--size"),
                        QStringLiteral("2000"), QStringLiteral("--seed"), QString::number(type)})
             .isEmpty());
    QVERIFY(m_decrypt.loadFile(file));
    QCOMPARE(m_decrypt.fileDeviceType(), type);
}

void TestDecryptFirmware::textLayoutDoesNotMatter() {
    const QList<QByteArray> lines = recordLines(6);
    QCOMPARE(lines.size(), 3);
    const QByteArray text = lines.join('\n');
    const QString file = path(QStringLiteral("layout.efw"));

    QVERIFY(writeFile(file, text.toLower()));
    QVERIFY(m_decrypt.loadFile(file));
    QCOMPARE(m_decrypt.fileDeviceType(), 6);

    // Pairs spread over blanks, tabs and CR LF.
    const QByteArray digits = lines.join();
    QByteArray spread;
    for (qsizetype i = 0; i < digits.size(); i += 2)
        spread += digits.mid(i, 2) + ((i / 2) % 7 == 0 ? "\r\n" : (i / 2) % 3 ? " " : "\t");
    QVERIFY(writeFile(file, spread));
    QVERIFY(m_decrypt.loadFile(file));

    // Anything after the first stray character is not read.
    QVERIFY(writeFile(file, text + "\n; made by the test\nGARBAGE 0102"));
    QVERIFY(m_decrypt.loadFile(file));
}

void TestDecryptFirmware::sizeLimit() {
    const QByteArray text = recordLines(2).join('\n');
    const QString file = path(QStringLiteral("size.efw"));
    const qsizetype limit = TDecryptFirmware::MaxFileSize;

    QVERIFY(writeFile(file, text + QByteArray(limit - text.size(), ' ')));
    QVERIFY(m_decrypt.loadFile(file));
    QVERIFY(writeFile(file, text + QByteArray(limit + 1 - text.size(), ' ')));
    QVERIFY(!m_decrypt.loadFile(file));
}

void TestDecryptFirmware::tooShortFilesAreRejected_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("white space") << QByteArray("  \r\n\t\n");
    QTest::newRow("no hex at start") << QByteArray("; 0112AABB");
    QTest::newRow("one byte") << QByteArray(" 01 ");
}

void TestDecryptFirmware::tooShortFilesAreRejected() {
    QFETCH(QByteArray, text);
    const QString file = path(QStringLiteral("short.efw"));
    QVERIFY(writeFile(file, text));
    QVERIFY(!m_decrypt.loadFile(file));
    QVERIFY(!m_decrypt.loadFile(path(QStringLiteral("missing.efw"))));
}

void TestDecryptFirmware::anyChangedByteIsRejected_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("byte"); // index within the record line, -1/-2: the CRC bytes
    QTest::newRow("first ciphertext byte") << 0 << 2;
    QTest::newRow("ciphertext, last record") << 2 << 50;
    QTest::newRow("last ciphertext byte") << 1 << -3;
    QTest::newRow("CRC high byte") << 1 << -2;
    QTest::newRow("CRC low byte") << 2 << -1;
}

void TestDecryptFirmware::anyChangedByteIsRejected() {
    QFETCH(int, line);
    QFETCH(int, byte);
    QList<QByteArray> lines = recordLines(4);
    QByteArray record = QByteArray::fromHex(lines[line]);
    const qsizetype at = byte >= 0 ? byte : record.size() + byte;
    record[at] = static_cast<char>(record[at] ^ 0x40);
    lines[line] = record.toHex();

    const QString file = path(QStringLiteral("changed.efw"));
    QVERIFY(writeFile(file, lines.join('\n')));
    QVERIFY(!m_decrypt.loadFile(file));
}

void TestDecryptFirmware::foreignKeySetIsRejected() {
    const FirmwareKeySet own = *firmwareKeySet(3);
    auto hexOf = [](const auto& bytes) {
        return QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(bytes.data()), bytes.size()).toHex());
    };
    const QString file = path(QStringLiteral("foreign.efw"));
    const QString otherKey(64, QLatin1Char('5'));

    // Type 3's IV and signature under another key: the CRCs are right, the
    // signatures come out wrong under every key set.
    QVERIFY(!makeEfw(file, {QStringLiteral("--type"), QStringLiteral("3"), QStringLiteral("--key"),
                            otherKey, QStringLiteral("--iv"), hexOf(own.iv),
                            QStringLiteral("--signature"), hexOf(own.signature)})
                 .isEmpty());
    QVERIFY(!m_decrypt.loadFile(file));

    // Type 3's key and IV with type 4's signature matches neither type.
    QVERIFY(!makeEfw(file, {QStringLiteral("--type"), QStringLiteral("3"),
                            QStringLiteral("--signature"), hexOf(firmwareKeySet(4)->signature)})
                 .isEmpty());
    QVERIFY(!m_decrypt.loadFile(file));
}

// The chain runs across records, so a moved record decrypts to garbage.
void TestDecryptFirmware::reorderedRecordsAreRejected() {
    QList<QByteArray> lines = recordLines(1);
    lines.swapItemsAt(1, 2);
    const QString file = path(QStringLiteral("reordered.efw"));
    QVERIFY(writeFile(file, lines.join('\n')));
    QVERIFY(!m_decrypt.loadFile(file));
}

void TestDecryptFirmware::brokenStructureIsRejected_data() {
    QTest::addColumn<QByteArray>("tail"); // appended to a good file
    QTest::addColumn<int>("cut");         // hex digits removed from its end first
    QTest::newRow("lone trailing byte") << QByteArray(" 00") << 0;
    QTest::newRow("last record cut short") << QByteArray() << 6;
    QTest::newRow("length field only") << QByteArray(" 0012") << 0;
    QTest::newRow("ciphertext not whole blocks") << QByteArray(" 0011") + QByteArray(34, 'A') << 0;
    QTest::newRow("empty ciphertext") << QByteArray(" 0002 0000") << 0;
    QTest::newRow("zero length") << QByteArray(" 0000") << 0;
    QTest::newRow("larger than the record buffer")
        << QByteArray(" 0122") + QByteArray(2 * 0x122, 'A') << 0;
}

void TestDecryptFirmware::brokenStructureIsRejected() {
    QFETCH(QByteArray, tail);
    QFETCH(int, cut);
    QByteArray text = recordLines(0).join('\n');
    text.chop(cut);
    const QString file = path(QStringLiteral("broken.efw"));
    QVERIFY(writeFile(file, text + tail));
    QVERIFY(!m_decrypt.loadFile(file));
}

void TestDecryptFirmware::everyCallStartsAfresh() {
    const QString good = path(QStringLiteral("good.efw"));
    const QString bad = path(QStringLiteral("bad.efw"));
    QVERIFY(writeFile(good, recordLines(7).join('\n')));
    QList<QByteArray> lines = recordLines(5);
    QVERIFY(writeFile(bad, lines.mid(1).join('\n'))); // first record missing

    QVERIFY(!m_decrypt.loadFile(bad));
    QVERIFY(m_decrypt.loadFile(good));
    QCOMPARE(m_decrypt.fileDeviceType(), 7);
    QVERIFY(!m_decrypt.loadFile(bad));
    QVERIFY(writeFile(bad, lines.join('\n')));
    QVERIFY(m_decrypt.loadFile(bad));
    QCOMPARE(m_decrypt.fileDeviceType(), 5);
}

QTEST_GUILESS_MAIN(TestDecryptFirmware)
#include "test_decrypt_firmware.moc"
