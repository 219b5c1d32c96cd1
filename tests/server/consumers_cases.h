#pragma once

#include "lookups_cases_test.h"

#include <QStringList>

// Rows shared by the consumer-account suites: client C1 sells at branch 01; consumer K1 (Ana,
// active, badge B1, type T1) has meal (REF, order 001, daily limit 50) and snack (LAN, order
// 002, no limit) families; the clock stands at 2026-03-04 10:00.
namespace ConsumerRows {

inline QString consumer(const char *code, const char *situation, const char *badge)
{
    return QStringLiteral("INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, IDSITCONSUMI, CDIDCONSUMID, "
                          "CDTIPOCONS, VRLIMDEBCONS, VRMAXDEBCONS, VRMESUBCONS, VRSUBSBASICO, IDCADCONFLIBCON, "
                          "DSEMAILCONS, IDVERSALDCON, IDTPVENDACONS, NRCPFRESPCON, IDATUCPFCONS) VALUES ('C1', '%1', "
                          "'Ana %1', '%2', '%3', 'T1', 100, 200, 30, 5, 'S', 'ana@x.com', 'N', '7', '39053344705', 'S')")
        .arg(QLatin1String(code), QLatin1String(situation), QLatin1String(badge));
}

inline const QStringList families{
    "INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('REF', 'REFEICAO')",
    "INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('LAN', 'LANCHE')",
    "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM, VRCONSDIAFAM) "
    "VALUES ('01', 'REF', '001', 'N', 50)",
    "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM) VALUES ('01', 'LAN', '002', 'N')",
};

inline const QStringList branch{
    "INSERT INTO CLIENTE (CDCLIENTE, NMFANTCLIE) VALUES ('C1', 'Metal')",
    "INSERT INTO CLIENFILIAL (CDCLIENTE, CDFILIAL, IDPERMVENDAQUB, IDCLIENPRIN) VALUES ('C1', '01', 'S', 'S')",
    "INSERT INTO TIPOCONS (CDTIPOCONS, NMTIPOCONS, IDTPVENDATPCONS, IDDESABPESQCON) VALUES ('T1', 'Func', '7', 'N')",
    "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, NRINSJURFILI, CDEMPRESA) VALUES ('01', 'Central', '11222333000181', 'E1')",
};

inline QString line(const char *family, const char *stamp, const char *seq, const char *kind, const char *amount,
                    const char *after, const char *sale = "NULL", const char *deposit = "NULL")
{
    return QStringLiteral("INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, "
                          "IDTPMOVEXT, VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRSEQVENDA, NRDEPOSICONS) VALUES "
                          "('C1', 'K1', '%1', '%2', '%3', '%4', %5, %6, '01', '001', %7, %8)")
        .arg(QLatin1String(family), QLatin1String(stamp), QLatin1String(seq), QLatin1String(kind),
             QLatin1String(amount), QLatin1String(after), QLatin1String(sale), QLatin1String(deposit));
}

inline QString balance(const char *family, const char *value, const char *consumer = "K1")
{
    return QStringLiteral("INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM) "
                          "VALUES ('C1', '%1', '%2', %3)")
        .arg(QLatin1String(consumer), QLatin1String(family), QLatin1String(value));
}

inline QString debit(const char *seq, const char *consumer, const char *sale, const char *day, const char *amount,
                     const char *carried)
{
    return QStringLiteral("INSERT INTO MOVICLIE (CDCLIENTE, CDCONSUMIDOR, NRSEQMOVCLI, CDFILIAL, CDCAIXA, NRSEQVENDA, "
                          "DTMOVIMCLIE, DTMOVCLI, IDTIPMOCVLI, VRMOVCLI, VRSALDOCONS, VRSALDPECONS) VALUES ('C1', '%2', "
                          "'%1', '01', '001', '%3', '%4', '%4', 'D', %5, %6, 0)")
        .arg(QLatin1String(seq), QLatin1String(consumer), QLatin1String(sale), QLatin1String(day),
             QLatin1String(amount), QLatin1String(carried));
}

inline QString sale(const char *number, const char *consumer, const char *situation, const char *day,
                    const char *service = "S1", const char *store = "L1")
{
    return QStringLiteral("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, CDCLIENTE, CDCONSUMIDOR, IDSITUVENDA, "
                          "DTENTRVENDA, CDSERVFILI, CDLOJA) VALUES ('01', '001', '%1', 'C1', '%2', '%3', '%4', '%5', '%6')")
        .arg(QLatin1String(number), QLatin1String(consumer), QLatin1String(situation), QLatin1String(day),
             QLatin1String(service), QLatin1String(store));
}

inline QString item(const char *number, const char *seq, const char *product, const char *quantity, const char *price)
{
    return QStringLiteral("INSERT INTO ITEMVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, QTPRODVEND, "
                          "VRUNITVEND, VRACRITVEND, VRDESITVEND) VALUES ('01', '001', '%1', '%2', '%3', %4, %5, 0, 0)")
        .arg(QLatin1String(number), QLatin1String(seq), QLatin1String(product), QLatin1String(quantity),
             QLatin1String(price));
}

inline QStringList plus(QStringList a, const QStringList &b)
{
    a += b;
    return a;
}

} // namespace ConsumerRows
