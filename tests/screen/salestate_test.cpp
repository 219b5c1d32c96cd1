#include <sale/salestate.h>
#include <sale/salestate_load.h>

#include <QSet>

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>
#include <utility>

namespace {

// A one-row packet with the given columns, typed after their values.
DataPacket rowOf(const QList<QPair<QString, Variant>> &columns)
{
    DataPacket packet;
    QList<Variant> row;
    for (const auto &[name, value] : columns) {
        FieldDef field;
        field.name = name;
        switch (value.kind()) {
        case Variant::Kind::Boolean: field.type = FieldType::Boolean; break;
        case Variant::Kind::Integer: field.type = FieldType::Integer; break;
        case Variant::Kind::Double: field.type = FieldType::Double; break;
        case Variant::Kind::DateTime: field.type = FieldType::DateTime; break;
        default: field.type = FieldType::String; field.size = 100; break;
        }
        packet.fields << field;
        row << value;
    }
    packet.rows << row;
    return packet;
}

struct LoadCase
{
    const char *name;
    const char *column;
    Variant value;
    std::function<void(const SaleState &)> check;
};

std::ostream &operator<<(std::ostream &out, const LoadCase &c) { return out << c.name; }

class ParameterLoad : public ::testing::TestWithParam<LoadCase>
{
};

TEST_P(ParameterLoad, FillsTheCopy)
{
    SaleState state;
    state.editParams().stCDLOJA = QStringLiteral("previous");
    state.editParams().inIDTIPOIMPFIS = 99;
    const ParameterLoadReport report =
        loadParameters(state, rowOf({{QLatin1String(GetParam().column), GetParam().value}}));
    EXPECT_TRUE(report.rowFound);
    EXPECT_TRUE(report.invalidValues.isEmpty()) << report.invalidValues.join(u' ').toStdString();
    GetParam().check(state);
}

const QDateTime opening(QDate(2024, 3, 15), QTime(8, 30));

INSTANTIATE_TEST_SUITE_P(
    SaleState, ParameterLoad,
    ::testing::Values(
        LoadCase{"Text", "CDFILIAL", Variant("0001"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.stCDFILIAL, QStringLiteral("0001")); }},
        LoadCase{"ColumnNameWithoutRegardToCase", "cdFilial", Variant("0002"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.stCDFILIAL, QStringLiteral("0002")); }},
        LoadCase{"MixedCaseKey", "IDTPTELAVE", Variant("6"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.stIdTpTelaVe, QStringLiteral("6")); }},
        LoadCase{"FifthPrinterPortSpelling", "CDPORTAIMPNF5", Variant("COM5"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.stCDPORTAIMPNF5, QStringLiteral("COM5")); }},
        LoadCase{"BooleanFromS", "UTILIZAIMPFIS", Variant("S"),
                 [](const SaleState &s) { EXPECT_TRUE(s.params.boUTILIZAIMPFIS); }},
        LoadCase{"BooleanFromLowerS", "SISTEMAQUBNFCE", Variant(" s "),
                 [](const SaleState &s) { EXPECT_TRUE(s.params.boSISTEMAQUBNFCE); }},
        LoadCase{"BooleanFromN", "BOERROIMPRESSORA", Variant("N"),
                 [](const SaleState &s) { EXPECT_FALSE(s.params.boBOERROIMPRESSORA); }},
        LoadCase{"BooleanFromTypedColumn", "DISPLAYOK", Variant(true),
                 [](const SaleState &s) { EXPECT_TRUE(s.params.boDISPLAYOK); }},
        LoadCase{"IntegerFromText", "IDTIPOIMPFIS", Variant("26"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.inIDTIPOIMPFIS, 26); }},
        LoadCase{"IntegerFromTypedColumn", "TAMDISPLAY", Variant(20),
                 [](const SaleState &s) { EXPECT_EQ(s.params.inTAMDISPLAY, 20); }},
        LoadCase{"AccessCodeGoesToRights", "CTTROCAOPERADOR", Variant("12"),
                 [](const SaleState &s) { EXPECT_EQ(s.rights.inCTTROCAOPERADOR, 12); }},
        LoadCase{"DoubleWithDecimalComma", "VROBRIGCPFNOTA", Variant("150,50"),
                 [](const SaleState &s) { EXPECT_DOUBLE_EQ(s.params.doVROBRIGCPFNOTA, 150.5); }},
        LoadCase{"DateFromText", "DTABERCAIX", Variant("15/03/2024 08:30:00"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.dtDTABERCAIX, opening); }},
        LoadCase{"DateFromTypedColumn", "DTABERCAIX", Variant(opening),
                 [](const SaleState &s) { EXPECT_EQ(s.params.dtDTABERCAIX, opening); }},
        LoadCase{"SelfServiceDesk", "IDHABCAIXAVENDA", Variant("TAA"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.inCaixaTAA, 1); }},
        LoadCase{"OrdinaryDesk", "IDHABCAIXAVENDA", Variant("CX"),
                 [](const SaleState &s) { EXPECT_EQ(s.params.inCaixaTAA, 0); }},
        LoadCase{"NullClearsText", "CDLOJA", Variant::null(),
                 [](const SaleState &s) { EXPECT_EQ(s.params.stCDLOJA, QString()); }},
        LoadCase{"BlankClearsInteger", "IDTIPOIMPFIS", Variant(""),
                 [](const SaleState &s) { EXPECT_EQ(s.params.inIDTIPOIMPFIS, 0); }}),
    [](const ::testing::TestParamInfo<LoadCase> &info) { return std::string(info.param.name); });

TEST(SaleStateLoad, MissingColumnKeepsItsValueAndIsReported)
{
    SaleState state;
    state.editParams().stCDLOJA = QStringLiteral("07");
    state.editParams().boUTILIZAIMPFIS = true;
    const ParameterLoadReport report = loadParameters(state, rowOf({{"CDFILIAL", Variant("0001")}}));
    EXPECT_EQ(state.params.stCDLOJA, QStringLiteral("07"));
    EXPECT_TRUE(state.params.boUTILIZAIMPFIS);
    EXPECT_TRUE(report.missingColumns.contains(QStringLiteral("CDLOJA")));
    EXPECT_FALSE(report.missingColumns.contains(QStringLiteral("CDFILIAL")));
    EXPECT_FALSE(report.complete());
}

TEST(SaleStateLoad, UnknownColumnsAreIgnored)
{
    SaleState state;
    const ParameterLoadReport report = loadParameters(
        state, rowOf({{"NOSUCHKEY", Variant("x")}, {"CDCAIXA", Variant("003")}}));
    EXPECT_EQ(state.params.stCDCAIXA, QStringLiteral("003"));
    EXPECT_TRUE(report.invalidValues.isEmpty());
    EXPECT_FALSE(report.missingColumns.contains(QStringLiteral("NOSUCHKEY")));
}

TEST(SaleStateLoad, ValueThatDoesNotConvertKeepsTheMemberAndIsReported)
{
    SaleState state;
    state.editParams().inIDTIPOIMPFIS = 16;
    state.editParams().boDISPLAYOK = true;
    state.editParams().dtDTABERCAIX = opening;
    const ParameterLoadReport report = loadParameters(
        state, rowOf({{"IDTIPOIMPFIS", Variant("abc")},
                      {"DISPLAYOK", Variant("talvez")},
                      {"DTABERCAIX", Variant("32/13/2024")}}));
    EXPECT_EQ(state.params.inIDTIPOIMPFIS, 16);
    EXPECT_TRUE(state.params.boDISPLAYOK);
    EXPECT_EQ(state.params.dtDTABERCAIX, opening);
    // Reported in the order of the parameter file's columns.
    EXPECT_EQ(report.invalidValues.join(u';').toStdString(),
              "DISPLAYOK=talvez;IDTIPOIMPFIS=abc;DTABERCAIX=32/13/2024");
}

TEST(SaleStateLoad, NoRowChangesNothing)
{
    SaleState state;
    state.editParams().stCDFILIAL = QStringLiteral("0009");
    DataPacket packet = rowOf({{"CDFILIAL", Variant("0001")}});
    packet.rows.clear();
    const ParameterLoadReport report = loadParameters(state, packet);
    EXPECT_FALSE(report.rowFound);
    EXPECT_EQ(state.params.stCDFILIAL, QStringLiteral("0009"));
}

TEST(SaleStateLoad, TelephoneEverywhereOverridesTheDesk)
{
    SaleState state;
    loadParameters(state, rowOf({{"IDSOLICITATEL", Variant("N")}, {"IDSOLICTELGER", Variant("S")}}));
    EXPECT_EQ(state.params.stIDSOLICITATEL, QStringLiteral("S"));

    SaleState other;
    loadParameters(other, rowOf({{"IDSOLICITATEL", Variant("S")}, {"IDSOLICTELGER", Variant("N")}}));
    EXPECT_EQ(other.params.stIDSOLICITATEL, QStringLiteral("S"));
}

TEST(SaleStateLoad, EveryColumnOnceAndEveryMemberOnce)
{
    const QList<ParameterColumn> &table = parameterColumns();
    EXPECT_EQ(table.size(), 185);
    QSet<QString> columns;
    for (int i = 0; i < table.size(); ++i) {
        EXPECT_FALSE(columns.contains(QString::fromLatin1(table.at(i).column).toUpper()))
            << table.at(i).column;
        columns.insert(QString::fromLatin1(table.at(i).column).toUpper());
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(table.at(i).member == table.at(j).member)
                << table.at(i).column << " and " << table.at(j).column;
    }
}

TEST(SaleStateLoad, FullRowLoadsCompletely)
{
    QList<QPair<QString, Variant>> columns;
    for (const ParameterColumn &entry : parameterColumns()) {
        const bool isDate = std::holds_alternative<QDateTime Parameters::*>(entry.member);
        columns.append({QLatin1String(entry.column), Variant(isDate ? "15/03/2024" : "1")});
    }
    SaleState state;
    const ParameterLoadReport report = loadParameters(state, rowOf(columns));
    EXPECT_TRUE(report.complete()) << report.missingColumns.join(u' ').toStdString()
                                   << report.invalidValues.join(u' ').toStdString();
    EXPECT_TRUE(state.params.boUTILIZAIMPFIS);
    EXPECT_EQ(state.params.stIDADESAOREFTRIB, QStringLiteral("1"));
    EXPECT_EQ(state.rights.inCTABRIRGAVETA, 1);
    EXPECT_EQ(state.params.dtDTABERCAIX, QDateTime(QDate(2024, 3, 15), QTime(0, 0)));
}

TEST(SaleStateLoad, CrmBonusRowFillsTheCancellationSettings)
{
    SaleState state;
    const ParameterLoadReport report = loadCrmBonusSettings(
        state, rowOf({{"IDCRMBONUS", Variant("S")},
                      {"CDURLCRMBONUS", Variant("https://crm.example/api")},
                      {"CDAUTHCRMBONUS", Variant("auth")},
                      {"CDCODECRMBONUS", Variant("code")}}));
    EXPECT_TRUE(report.complete());
    EXPECT_EQ(state.startup.stCancCupomAux4, QStringLiteral("S"));
    EXPECT_EQ(state.startup.stCancCupomAux5, QStringLiteral("https://crm.example/api"));
    EXPECT_EQ(state.startup.stCancCupomAux6, QStringLiteral("auth"));
    EXPECT_EQ(state.startup.stCancCupomAux7, QStringLiteral("code"));
}

TEST(SaleStateInitial, AFreshSaleStartsFromTheResetValues)
{
    const SaleState state;
    EXPECT_DOUBLE_EQ(state.totals.doQuantidade, 1.0);
    EXPECT_EQ(state.till.stCancCupomAux3, QStringLiteral("VV"));
    EXPECT_EQ(state.table.inNrPessoas, 1);
    EXPECT_EQ(state.table.inExtratoAux1, 1);
    EXPECT_EQ(state.counters.inInicializaAux4, 1);
    EXPECT_EQ(state.table.inPosicaoGrid, 1);
    EXPECT_EQ(state.screen.inPaginaProduto, 1);
    EXPECT_EQ(state.consumer.stTipoVendaCons, QStringLiteral("0"));
    EXPECT_EQ(state.consumer.stRecebAux4, QStringLiteral("N"));
    EXPECT_EQ(state.startup.stInicializaAux3, QStringLiteral("N"));
    EXPECT_EQ(state.clubPetro.stClubPetroOnline, QStringLiteral("S"));
    EXPECT_TRUE(state.clubPetroCustomer.boCliClubPetroExiste);
    EXPECT_EQ(state.clubPetroCustomer.stIDTIPORESGATE, QStringLiteral("N"));
    EXPECT_TRUE(state.host.stRetornoVenda.isEmpty());
    EXPECT_FALSE(state.flags.boCupomAberto);
    EXPECT_DOUBLE_EQ(state.totals.doTotalVenda, 0.0);
    EXPECT_TRUE(state.results.vaRetorno.isEmpty());
}

} // namespace

// The sale reads its parameters through a const view; only the three run-time fields change,
// each through its setter, and nothing else moves with them.
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<SaleState &>().params)>>);

TEST(SaleStateParameters, TheRunTimeSettersChangeTheirFieldOnly)
{
    SaleState state;
    state.editParams().stCDFILIAL = QStringLiteral("0001");
    state.setPrinterInError(true);
    state.setAskOrderNotes(QStringLiteral("N"));
    state.setAskNameAddress(QStringLiteral("S"));
    EXPECT_TRUE(state.params.boBOERROIMPRESSORA);
    EXPECT_EQ(state.params.stIDSOLOBSPED, QStringLiteral("N"));
    EXPECT_EQ(state.params.stIDINFNOMEEND, QStringLiteral("S"));
    EXPECT_EQ(state.params.stCDFILIAL, QStringLiteral("0001"));
    state.setPrinterInError(false);
    EXPECT_FALSE(state.params.boBOERROIMPRESSORA);
}
