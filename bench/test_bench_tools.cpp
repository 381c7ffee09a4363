#include "BenchStats.h"
#include "ProbeReport.h"

#include <QTest>

using namespace talvaro::bench;

class BenchToolsTest : public QObject {
    Q_OBJECT
private slots:
    void medianOfUnsortedSamples_data();
    void medianOfUnsortedSamples();
    void percentile90IsANearestRankSample_data();
    void percentile90IsANearestRankSample();
    void reportLineIsFoundAmongOtherOutput();
    void missingOrGarbledReportIsRefused_data();
    void missingOrGarbledReportIsRefused();
};

void BenchToolsTest::medianOfUnsortedSamples_data() {
    QTest::addColumn<std::vector<double>>("samples");
    QTest::addColumn<double>("expected");
    QTest::newRow("none") << std::vector<double>{} << 0.0;
    QTest::newRow("one") << std::vector<double>{7} << 7.0;
    QTest::newRow("odd, unsorted") << std::vector<double>{9, 1, 5} << 5.0;
    QTest::newRow("even: mean of the middle two") << std::vector<double>{8, 2, 4, 100} << 6.0;
}

void BenchToolsTest::medianOfUnsortedSamples() {
    QFETCH(std::vector<double>, samples);
    QFETCH(double, expected);
    QCOMPARE(median(samples), expected);
}

void BenchToolsTest::percentile90IsANearestRankSample_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("expected");
    // Samples 1..count in reverse order.
    QTest::newRow("one sample") << 1 << 1.0;
    QTest::newRow("ten: the ninth") << 10 << 9.0;
    QTest::newRow("eleven: rank rounds up to ten") << 11 << 10.0;
    QTest::newRow("twenty: the eighteenth") << 20 << 18.0;
    QTest::newRow("none") << 0 << 0.0;
}

void BenchToolsTest::percentile90IsANearestRankSample() {
    QFETCH(int, count);
    QFETCH(double, expected);
    std::vector<double> samples;
    for (int i = count; i >= 1; --i)
        samples.push_back(i);
    QCOMPARE(percentile90(samples), expected);
}

void BenchToolsTest::reportLineIsFoundAmongOtherOutput() {
    const ProbeReport sent{123456, 38210};
    const QByteArray output = "QStandardPaths: XDG_RUNTIME_DIR not set\n" + formatReport(sent) +
                              "This plugin does not support propagateSizeHints()\n";
    const auto received = parseReport(output);
    QVERIFY(received);
    QCOMPARE(received->shownUs, sent.shownUs);
    QCOMPARE(received->peakKb, sent.peakKb);
}

void BenchToolsTest::missingOrGarbledReportIsRefused_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only warnings") << QByteArray("qt.qpa.xcb: could not connect to display\n");
    QTest::newRow("no peak memory (no /proc)") << QByteArray("shown_us=100 hwm_kb=-1\n");
    QTest::newRow("cut off") << QByteArray("shown_us=100 hwm_");
    QTest::newRow("inside another line") << QByteArray("warning: shown_us=1 hwm_kb=2 later\n");
    QTest::newRow("overflowing") << QByteArray("shown_us=99999999999999999999 hwm_kb=2\n");
}

void BenchToolsTest::missingOrGarbledReportIsRefused() {
    QFETCH(QByteArray, output);
    QVERIFY(!parseReport(output));
}

QTEST_APPLESS_MAIN(BenchToolsTest)
#include "test_bench_tools.moc"
