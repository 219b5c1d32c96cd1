#pragma once

#include <support/databasefixture.h>

#include <server/srv_consumers.h>
#include <server/srv_consumers_posting.h>
#include <server/schema.h>
#include <server/srv_salecancel.h>
#include <server/trdmvendacons.h>

#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela_db.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/datapacket.h>

#include <QMap>

// The sales a cancellation test starts from: consumer K1 of client C1 with meal (REF 100) and
// snack (LAN 20) balances, a debit account owing 40 (balance -40) and a benefit with 2 uses left; the
// clock stands at 2026-05-04 11:20:05, the desk opened at 07:00.
namespace {

using namespace Srv_Kal51000;

const QDateTime now(QDate(2026, 5, 4), QTime(11, 20, 5));
const QDateTime opening(QDate(2026, 5, 4), QTime(7, 0));

// What a cancellation may change, to compare before and after.
struct Snapshot
{
    QMap<QString, double> familyBalances;
    double debitBalance = 0;
    int benefitUses = 0;
    QStringList sales, movements, statement, debits, points;
    bool operator==(const Snapshot &) const = default;
};

class SaleCancelTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([] { return now; });
        for (const char *sql : {
                 "INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, IDVERSALDCON, VRSUBSBASICO) "
                 "VALUES ('C1', 'K1', 'Ana', 'N', 0)",
                 "INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('REF', 'REFEICAO'), ('LAN', 'LANCHE')",
                 "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM) "
                 "VALUES ('01', 'REF', '001', 'N'), ('01', 'LAN', '002', 'N')",
                 "INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM) "
                 "VALUES ('C1', 'K1', 'REF', 100), ('C1', 'K1', 'LAN', 20)",
                 // The loads the balances come from.
                 "INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, IDTPMOVEXT, "
                 "VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRDEPOSICONS) VALUES "
                 "('C1', 'K1', 'REF', '2026-05-01 09:00:00', '001', 'C', 100, 100, '01', '001', '1'), "
                 "('C1', 'K1', 'LAN', '2026-05-01 09:00:00', '001', 'C', 20, 20, '01', '001', '1')",
                 "INSERT INTO TIPORECE (CDTIPORECE, NMTIPORECE, IDTIPORECE) VALUES ('CRED', 'Credito pessoal', '9'), "
                 "('DEB', 'Debito consumidor', 'A'), ('DIN', 'Dinheiro', '1')",
                 "INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO) VALUES ('P1', 'Prato feito'), ('P2', 'Suco')",
                 "INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, CDPORIMPPROD, IDIMPCANITEM) "
                 "VALUES ('01', 'L1', 'P1', 'COZ', 'S')",
                 // An earlier debit purchase of 40: the account's balance after it is -40.
                 "INSERT INTO MOVICLIE (CDCLIENTE, CDCONSUMIDOR, NRSEQMOVCLI, CDFILIAL, CDCAIXA, NRSEQVENDA, DTMOVIMCLIE, "
                 "DTMOVCLI, IDTIPMOCVLI, VRMOVCLI, VRSALDOCONS, VRSALDPECONS) VALUES ('C1', 'K1', '0000000001', '01', "
                 "'001', 'OLD', '2026-05-03 00:00:00', '2026-05-03 12:00:00', 'D', 40, -40, 0)",
                 "INSERT INTO MOVBENEFICIOCTR (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO, "
                 "QTDEBENEFICIO) VALUES ('C1', 'K1', 'CP1', '1', '1', 2)"})
            exec(sql);
    }

    void saleHeader(const QString &seq, const QString &number, const QString &nfce, const QString &printed,
                    const QString &consumer)
    {
        exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, IDSITUVENDA, NRVENDAEXT, NRNOTAFISCALCE, DTABERTUR, "
             "IDIMPVENDA, IDSTATUSNFCE, CDCLIENTE, CDCONSUMIDOR, CDLOJA, NRVENDAREST, NRCOMANDAVND) VALUES ('01', '001', "
             ":S, 'O', :N, :F, :D, :I, 'A', 'C1', :K, 'L1', :R, :T)",
             {{"S", seq}, {"N", number}, {"F", nfce}, {"D", opening}, {"I", printed}, {"K", consumer},
              {"R", seq + "R"}, {"T", "T9"}});
        for (const char *item : {"001", "002"})
            exec("INSERT INTO ITEMVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, QTPRODVEND, VRUNITVEND) "
                 "VALUES ('01', '001', :S, :I, :P, 1, 21.5)",
                 {{"S", seq}, {"I", QString::fromLatin1(item)}, {"P", item[2] == '1' ? "P1" : "P2"}});
    }
    void payment(const QString &seq, const QString &receiptType)
    {
        exec("INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUMOVI, DTABERCAIX, CDTIPORECE, VRMOVIVEND, "
             "IDTIPOMOVIVE) VALUES ('01', '001', :S, '1', :D, :T, 43, 'V')",
             {{"S", seq}, {"D", opening}, {"T", receiptType}});
    }

    // A consumer sale saved as the till saves it: header, items, payment, a benefit use and a
    // point row, and the consumer's part posted in the save's transaction.
    void saveConsumerSale(const QString &seq, const QString &number, const QString &receiptType,
                          const QList<QPair<QString, double>> &families, double debit)
    {
        saleHeader(seq, number, "", "", "K1");
        payment(seq, receiptType);
        exec("INSERT INTO MOVBENEFICIOCONS (NRSEQBENECONS, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO, CDCLIENTE, "
             "CDCONSUMIDOR, CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND) VALUES (:S, 'CP1', '1', '1', 'C1', 'K1', '01', "
             "'001', :S, '001')",
             {{"S", seq}});
        exec("INSERT INTO ITFIDELIDADE (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, QTPRODVEND, CDCLIENTE, "
             "CDCONSUMIDOR, CDCAMPANHA, VRPONTOBRINDE) VALUES ('01', '001', :S, '001', 'P1', 1, 'C1', 'K1', 'CP1', 4)",
             {{"S", seq}});
        exec("UPDATE MOVBENEFICIOCTR SET QTDEBENEFICIO = QTDEBENEFICIO - 1");
        ConsumerPosting posting;
        posting.CDFILIAL = "01";
        posting.CDCAIXA = "001";
        posting.NRSEQVENDA = seq;
        posting.CDCLIENTE = "C1";
        posting.CDCONSUMIDOR = "K1";
        posting.CDOPERADOR = "OP";
        posting.DTABERCAIX = opening;
        posting.CDTIPORECE = receiptType;
        posting.debit = debit;
        posting.families.fields = {{"CDFAMILISALD", FieldType::String, 10}, {"VRSALDCONFAM", FieldType::Double}};
        for (const auto &[family, amount] : families)
            posting.families.rows.append({Variant(family), Variant(amount)});
        Qub_movrela::DbConnection till(QStringLiteral("till"));
        till.useConnectionString(base().connectionString());
        ASSERT_TRUE(till.begin());
        const Variant posted = setLancaConsumo(till, posting);
        ASSERT_FALSE(posted.isFailure()) << describe(posted).toStdString();
        ASSERT_TRUE(till.commit());
    }

    void saveCashSale(const QString &seq, const QString &number, const QString &tab, const QString &nfce = "",
                      const QString &printed = "")
    {
        saleHeader(seq, number, nfce, printed, "");
        payment(seq, "DIN");
        exec("INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, DSCOMANDA, IDSTCOMANDA) VALUES ('01', :R, 'T9', "
             ":D, '1')",
             {{"R", seq + "R"}, {"D", tab}});
    }

    SaleCancelRequest request(const QString &number, const QString &kind)
    {
        SaleCancelRequest r;
        r.CDFILIAL = "01";
        r.CDCAIXA = "001";
        r.number = number;
        r.kind = kind;
        r.CDSUPERVISOR = "SUP";
        r.DSOBSCANCUP = "cliente desistiu";
        r.DTABERTUR = opening;
        return r;
    }

    QString text(const QString &sql)
    {
        const auto found = rows(sql);
        return found.isEmpty() ? QStringLiteral("(nenhuma)") : found.first().first().toString();
    }
    QStringList column(const QString &sql)
    {
        QStringList out;
        for (const auto &row : rows(sql))
            out.append(row.first().toString());
        return out;
    }
    QList<double> amounts(const QString &sql)
    {
        QList<double> out;
        for (const auto &row : rows(sql))
            out.append(row.first().toDouble());
        return out;
    }
    QMap<QString, double> familyBalances()
    {
        QMap<QString, double> out;
        for (const auto &row : rows("SELECT CDFAMILISALD, VRSALDCONFAM FROM SALDOCONS"))
            out[row.at(0).toString()] = row.at(1).toDouble();
        return out;
    }
    double debitBalance() { return getSaldoCons("C1", "K1").packet().value(0, "VRSALDOCONS").toDouble(); }
    int benefitUses() { return rows("SELECT QTDEBENEFICIO FROM MOVBENEFICIOCTR").first().first().toInt(); }
    Snapshot snapshot()
    {
        return {familyBalances(), debitBalance(), benefitUses(),
                column("SELECT NRSEQVENDA || IDSITUVENDA || COALESCE(IDEXPEXTCANC, '-') FROM VENDA ORDER BY 1"),
                column("SELECT NRSEQVENDA || IDTIPOMOVIVE FROM MOVCAIXA ORDER BY 1"),
                column("SELECT CDFAMILISALD || NRSEQMOVEXT || IDTPMOVEXT || CAST(VRSALDCONEXT AS VARCHAR(20)) "
                       "FROM EXTRATOCONS ORDER BY 1"),
                column("SELECT NRSEQMOVCLI || IDTIPMOCVLI || CAST(VRSALDOCONS AS VARCHAR(20)) FROM MOVICLIE ORDER BY 1"),
                column("SELECT NRSEQVENDA || NRSEQUITVEND FROM ITFIDELIDADE ORDER BY 1")};
    }
};

[[maybe_unused]] void PrintTo(const Snapshot &s, std::ostream *out)
{
    *out << (s.sales + s.movements + s.statement + s.debits + s.points).join(QLatin1Char(' ')).toStdString()
         << " debit " << s.debitBalance << " uses " << s.benefitUses;
}

} // namespace
