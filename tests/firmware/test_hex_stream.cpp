#include "firmware/HexStream.h"

#include <QBuffer>
#include <QTest>

using namespace talvaro;

class TestHexStream : public QObject {
    Q_OBJECT
private slots:
    void parsesLikeRepeatedScanf_data();
    void parsesLikeRepeatedScanf();
    void stopsAtCapacity();
};

namespace {

HexStreamResult parse(const QByteArray& text, QByteArray& out, qsizetype capacity) {
    QBuffer in;
    in.setData(text);
    in.open(QIODevice::ReadOnly);
    out = QByteArray(capacity, '\0');
    const HexStreamResult result =
        parseHexStream(in, reinterpret_cast<quint8*>(out.data()), capacity);
    out.truncate(result.count);
    return result;
}

} // namespace

void TestHexStream::parsesLikeRepeatedScanf_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("bytes"); // as hex

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("white space only") << QByteArray(" \t\r\n\v\f ") << QByteArray();
    QTest::newRow("first character not hex") << QByteArray("  Z0102") << QByteArray();
    QTest::newRow("no sign") << QByteArray("+12") << QByteArray();
    QTest::newRow("pairs") << QByteArray("0A1b2C") << QByteArray("0a1b2c");
    QTest::newRow("cases agree") << QByteArray("abcdef") << QByteArray("abcdef");
    QTest::newRow("odd run pairs from its start") << QByteArray("ABC") << QByteArray("ab0c");
    QTest::newRow("odd runs between blanks") << QByteArray("ABC DEF") << QByteArray("ab0cde0f");
    QTest::newRow("single digit") << QByteArray("7") << QByteArray("07");
    QTest::newRow("separators ignored")
        << QByteArray("\tA1 B2\r\nC3\n\n  d4 ") << QByteArray("a1b2c3d4");
    QTest::newRow("stops at stray character") << QByteArray("ABCDxEF") << QByteArray("abcd");
    QTest::newRow("stray after one digit keeps it") << QByteArray("AB1;CD") << QByteArray("ab01");
    QTest::newRow("no 0x prefix") << QByteArray("0x12") << QByteArray("00");
    QTest::newRow("NUL ends the text") << QByteArray("AB\0CD", 5) << QByteArray("ab");
}

void TestHexStream::parsesLikeRepeatedScanf() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    const HexStreamResult result = parse(text, out, 64);
    QCOMPARE(out.toHex(), bytes);
    QVERIFY(!result.overflow);
}

void TestHexStream::stopsAtCapacity() {
    QByteArray out;
    HexStreamResult result = parse("AABBCC", out, 2);
    QCOMPARE(out.toHex(), QByteArray("aabb"));
    QVERIFY(result.overflow);

    // Exactly full is no overflow, also when white space or a stray character follows.
    QVERIFY(!parse("AABB", out, 2).overflow);
    QVERIFY(!parse("AA BB \n", out, 2).overflow);
    result = parse("AABB Z", out, 2);
    QVERIFY(!result.overflow);
    QCOMPARE(result.count, qsizetype(2));
}

QTEST_GUILESS_MAIN(TestHexStream)
#include "test_hex_stream.moc"
