#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// One field of every type, with sizes, nulls, accents and texts XML cannot carry as they are.
DataPacket samplePacket()
{
    DataPacket packet;
    packet.fields = {
        {QStringLiteral("CDPRODUTO"), FieldType::String, 20, true},
        {QStringLiteral("NRLUGAR"), FieldType::FixedString, 4},
        {QStringLiteral("STOBSPEDIDO"), FieldType::Memo, 0},
        {QStringLiteral("QTPRODUTO"), FieldType::Integer, 0},
        {QStringLiteral("VRALIQ"), FieldType::Double, 0},
        {QStringLiteral("VRPRECO"), FieldType::Currency, 0},
        {QStringLiteral("IDATIVO"), FieldType::Boolean, 0},
        {QStringLiteral("DTINCLUSAO"), FieldType::DateTime, 0},
        {QStringLiteral("2 NOME"), FieldType::String, 30}, // not an XML name
    };
    const QDateTime stamp(QDate(2024, 1, 31), QTime(13, 45, 10, 123));
    packet.rows = {
        {QString::fromUtf8("Pão de açúcar"), QStringLiteral("AB  "),
         QString::fromUtf8("sem cebola\nbem passado <já> & \"logo\""), qint64(-3), 0.1, 1234.56,
         true, stamp, QString::fromUtf8("Coração")},
        {QStringLiteral("0101"), Variant::null(), Variant::null(), Variant::null(), Variant::null(),
         Variant::null(), false, Variant::null(), Variant::null()},
        {QString::fromUtf8("GS1\x1D" "0123\xEE\x80\x80"), QStringLiteral("    "), QString(),
         qint64(2147483648LL), 1e-300, -0.01, Variant::null(), stamp.addYears(-100), QStringLiteral("x")},
    };
    return packet;
}

class CdsFileTest : public testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void writeRaw(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray sampleBytes() const
    {
        QByteArray bytes;
        EXPECT_TRUE(CdsFile::write(samplePacket(), &bytes));
        return bytes;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(CdsFileTest, PacketRoundTripsThroughAFile)
{
    QString error;
    ASSERT_TRUE(CdsFile::save(path("Produtos.cds"), samplePacket(), &error)) << error.toStdString();
    DataPacket read;
    ASSERT_TRUE(CdsFile::load(path("Produtos.cds"), &read, &error)) << error.toStdString();
    EXPECT_EQ(read.fields, samplePacket().fields);
    ASSERT_EQ(read.rows.size(), 3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < read.fields.size(); ++c)
            EXPECT_EQ(read.rows[r][c], samplePacket().rows[r][c])
                << r << "," << c << ": " << describe(read.rows[r][c]).toStdString();
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"Produtos.cds"});
}

TEST_F(CdsFileTest, LayoutIsTheXmlDataPacket)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("CDPRODUTO"), FieldType::String, 20},
                     {QStringLiteral("VRPRECO"), FieldType::Currency, 0}};
    packet.rows = {{QString::fromUtf8("Açaí"), 9.9}, {Variant::null(), 2.0}};
    QByteArray bytes;
    ASSERT_TRUE(CdsFile::write(packet, &bytes));
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<DATAPACKET Version=\"2.0\">\n"
        " <METADATA>\n"
        "  <FIELDS>\n"
        "   <FIELD attrname=\"CDPRODUTO\" fieldtype=\"string\" WIDTH=\"20\"/>\n"
        "   <FIELD attrname=\"VRPRECO\" fieldtype=\"r8\" SUBTYPE=\"Money\"/>\n"
        "  </FIELDS>\n"
        "  <PARAMS/>\n"
        " </METADATA>\n"
        " <ROWDATA>\n"
        "  <ROW CDPRODUTO=\"A\xC3\xA7\x61\xC3\xAD\" VRPRECO=\"9.9\"/>\n"
        "  <ROW VRPRECO=\"2\"/>\n"
        " </ROWDATA>\n"
        "</DATAPACKET>\n";
    EXPECT_EQ(bytes, expected);
}

TEST_F(CdsFileTest, DataSetSavesAndLoadsItsRows)
{
    ClientDataSet saved(QStringLiteral("cdsItems"));
    ASSERT_TRUE(saved.SetData(samplePacket()));
    QString error;
    ASSERT_TRUE(saved.SaveToFile(path("Itens.cds"), &error)) << error.toStdString();

    ClientDataSet loaded;
    ASSERT_TRUE(loaded.LoadFromFile(path("Itens.cds"), &error)) << error.toStdString();
    EXPECT_EQ(loaded.Data(), saved.Data());
    EXPECT_EQ(loaded.RecordCount(), 3);
    EXPECT_EQ(loaded.FieldByName(QStringLiteral("CDPRODUTO")).AsString(), QString::fromUtf8("Pão de açúcar"));
    EXPECT_EQ(loaded.FieldByName(QStringLiteral("2 NOME")).AsString(), QString::fromUtf8("Coração"));
}

struct BadFileCase
{
    const char *name;
    std::function<QByteArray(const QByteArray &good)> content; // null: no file at all
    const char *reason;
};

class CdsFileBad : public CdsFileTest, public testing::WithParamInterface<BadFileCase>
{
};

// The dataset keeps what it had: nothing half-loaded, and the error names the file.
TEST_P(CdsFileBad, IsRefusedWithTheFileNamedAndTheDataSetUntouched)
{
    const BadFileCase &c = GetParam();
    if (c.content)
        writeRaw("Cad_Cliente.cds", c.content(sampleBytes()));
    ClientDataSet ds;
    ds.FieldDefs().Add(QStringLiteral("CDCLIENTE"), FieldType::String, 4);
    ds.CreateDataSet();
    ds.Append();
    ds.FieldByName(QStringLiteral("CDCLIENTE")).SetAsString(QStringLiteral("0001"));
    ds.Post();
    const DataPacket before = ds.Data();

    QString error;
    EXPECT_FALSE(ds.LoadFromFile(path("Cad_Cliente.cds"), &error));
    EXPECT_TRUE(error.contains(path("Cad_Cliente.cds"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    EXPECT_EQ(ds.Data(), before);
    EXPECT_EQ(ds.FieldByName(QStringLiteral("CDCLIENTE")).AsString(), QStringLiteral("0001"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, CdsFileBad,
    testing::Values(
        BadFileCase{"Missing", nullptr, "não encontrado"},
        BadFileCase{"Empty", [](const QByteArray &) { return QByteArray(); }, "corrompido"},
        BadFileCase{"TruncatedInRows", [](const QByteArray &g) { return g.left(g.indexOf("<ROW ") + 40); }, "corrompido"},
        BadFileCase{"TruncatedAfterRows", [](const QByteArray &g) { return g.left(g.indexOf("</ROWDATA>") + 10); }, "corrompido"},
        BadFileCase{"TruncatedInMetadata", [](const QByteArray &g) { return g.left(g.indexOf("</FIELDS>")); }, "corrompido"},
        BadFileCase{"Garbage", [](const QByteArray &) { return QByteArray("\x01\x02 not xml at all"); }, "corrompido"},
        BadFileCase{"OtherRoot", [](const QByteArray &) { return QByteArray("<ROWDATA><ROW A=\"1\"/></ROWDATA>"); }, "DATAPACKET"},
        BadFileCase{"NoRowData", [](const QByteArray &g) { QByteArray b = g; return b.left(b.indexOf(" <ROWDATA>")) + "</DATAPACKET>"; }, "ROWDATA"},
        BadFileCase{"UnknownType", [](const QByteArray &g) { QByteArray b = g; return b.replace("fieldtype=\"i4\"", "fieldtype=\"blob\""); }, "blob"},
        BadFileCase{"BadInteger", [](const QByteArray &g) { QByteArray b = g; return b.replace("QTPRODUTO=\"-3\"", "QTPRODUTO=\"tres\""); }, "QTPRODUTO"},
        BadFileCase{"BadDate", [](const QByteArray &g) { QByteArray b = g; return b.replace("DTINCLUSAO=\"2024", "DTINCLUSAO=\"ontem"); }, "DTINCLUSAO"}),
    [](const testing::TestParamInfo<BadFileCase> &info) { return std::string(info.param.name); });

TEST_F(CdsFileTest, AFailedSaveKeepsTheOldFileWhole)
{
    ASSERT_TRUE(CdsFile::save(path("AberturaCaixa.cds"), samplePacket()));
    DataPacket bad = samplePacket();
    bad.rows[0][3] = Variant(QStringLiteral("três")); // an integer field
    QString error;
    EXPECT_FALSE(CdsFile::save(path("AberturaCaixa.cds"), bad, &error));
    EXPECT_TRUE(error.contains(path("AberturaCaixa.cds"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("QTPRODUTO"))) << error.toStdString();
    DataPacket read;
    ASSERT_TRUE(CdsFile::load(path("AberturaCaixa.cds"), &read));
    EXPECT_EQ(read.rows.size(), 3);

    EXPECT_FALSE(CdsFile::save(path("semPasta/Dados.cds"), samplePacket(), &error));
    EXPECT_TRUE(error.contains(path("semPasta/Dados.cds"))) << error.toStdString();
}

TEST_F(CdsFileTest, ReadsTheOtherSpellingsOfTheLayout)
{
    const QByteArray xml =
        "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
        "<FIELD attrname=\"NMCLIE\" fieldtype=\"string.uni\" WIDTH=\"60\"/>"
        "<FIELD attrname=\"OBS\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>"
        "<FIELD attrname=\"NR\" fieldtype=\"i2\"/><FIELD attrname=\"DT\" fieldtype=\"date\"/>"
        "</FIELDS><PARAMS CHANGE_LOG=\"1 0 4\"/></METADATA><ROWDATA>"
        "<ROW RowState=\"4\" NMCLIE=\"Jo&#227;o\" OBS=\"a&#10;b\" NR=\"7\" DT=\"20240229\"/>"
        "</ROWDATA></DATAPACKET>";
    DataPacket packet;
    QString error;
    ASSERT_TRUE(CdsFile::read(xml, &packet, &error)) << error.toStdString();
    ASSERT_EQ(packet.fields.size(), 4);
    EXPECT_EQ(packet.fields[0].type, FieldType::String);
    EXPECT_EQ(packet.fields[1].type, FieldType::Memo);
    EXPECT_EQ(packet.fields[2].type, FieldType::Integer);
    EXPECT_EQ(packet.value(0, "NMCLIE").toString(), QString::fromUtf8("João"));
    EXPECT_EQ(packet.value(0, "OBS").toString(), QStringLiteral("a\nb"));
    EXPECT_EQ(packet.value(0, "DT").toDateTime().date(), QDate(2024, 2, 29));
}
