// The data-packet file as CdsFile writes it, compared whole with its golden file, and the
// golden-file comparison itself.
#include <support/golden.h>

#include <runtime/cdsfile.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(GoldenCds, DataPacketFileOfEveryFieldType)
{
    DataPacket packet;
    packet.fields = {{"CDPRODUTO", FieldType::String, 20},
                     {"NMPRODUTO", FieldType::String, 50},
                     {"QTPRODCOMVEN", FieldType::Double},
                     {"VRPRECCOMVEN", FieldType::Currency},
                     {"NRSEQITEM", FieldType::Integer},
                     {"IDPESAPROD", FieldType::Boolean},
                     {"DTINCLUSAO", FieldType::DateTime},
                     {"DSOBSERVACAO", FieldType::Memo}};
    packet.rows = {{"0101", "PRATO FEITO", 1.0, 25.9, 1, false, QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15, 250)),
                    "sem sal"},
                   {"0202", "SUCO \"NATURAL\" <300ml> & gelo", 0.455, 7.5, 2, true,
                    QDateTime(QDate(2024, 3, 5), QTime(14, 31)), "linha 1\nlinha 2\ttab"},
                   {"0303", "PUDIM", Variant::null(), Variant::null(), 3, Variant::null(), Variant::null(),
                    Variant::null()}};
    QByteArray xml;
    QString error;
    ASSERT_TRUE(CdsFile::write(packet, &xml, &error)) << error.toStdString();

    expectMatchesGolden("datapacket_every_field_type", QString::fromUtf8(xml));
}

TEST(GoldenDiff, EqualTextsHaveNoDiff)
{
    EXPECT_EQ(unifiedDiff({"a", "b"}, {"a", "b"}, "golden", "actual").toStdString(), "");
}

TEST(GoldenDiff, AChangedLineShowsWithItsContext)
{
    const QStringList expected{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    QStringList actual = expected;
    actual[4] = "five";
    EXPECT_EQ(unifiedDiff(expected, actual, "golden", "actual").toStdString(),
              "--- golden\n+++ actual\n@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n 6\n 7\n 8\n");
}

TEST(GoldenDiff, DistantChangesMakeTwoHunksAndAddedLinesCount)
{
    QStringList expected;
    for (int i = 1; i <= 20; ++i)
        expected << QString::number(i);
    QStringList actual = expected;
    actual.removeAt(1);          // "2" gone
    actual << "21";              // one line added at the end
    EXPECT_EQ(unifiedDiff(expected, actual, "golden", "actual").toStdString(),
              "--- golden\n+++ actual\n"
              "@@ -1,5 +1,4 @@\n 1\n-2\n 3\n 4\n 5\n"
              "@@ -18,3 +17,4 @@\n 18\n 19\n 20\n+21\n");
}

TEST(GoldenDiff, AMismatchOrAMissingGoldenFileFailsTheTest)
{
    if (qEnvironmentVariable("VENDACONS_UPDATE_GOLDEN") == QLatin1String("1"))
        GTEST_SKIP() << "golden files are being written";
    EXPECT_NONFATAL_FAILURE(expectMatchesGolden("no_such_golden_file", "text"), "no golden file");
    EXPECT_NONFATAL_FAILURE(expectMatchesGolden("datapacket_every_field_type", "<DATAPACKET/>\n"),
                            "+<DATAPACKET/>");
}

} // namespace
