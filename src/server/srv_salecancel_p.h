#pragma once

#include "srv_salecancel.h"

#include <outside/pkg_hrk00002.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Shared by the sale-cancellation files of the server layer; not part of its interface.
namespace SaleCancellation {

// The sale a cancellation found, as its lookup's first row gives it, with the partner columns
// the notifications read.
struct CancelledSale
{
    QString CDFILIAL;
    QString CDCAIXA;
    QString NRSEQVENDA;
    QString CDCLIENTE;
    QString CDCONSUMIDOR;
    QString CDLOJA;
    QDateTime DTABERTUR;
    QString NRVENDAREST;
    QString NRCOMANDAVND;
    QString NRCPFFID4ALL;
    QString NRCPFFIDUDS;
    QString IDPEDINTEPROMO;
    QString NRINSCRCONS;
    QString IDREQVALPRE;
    QString IDREQCOREBANC;
    QString NRCPFCOREBANC;
    QString IDCUPOMVIMO;
    QString IDBENEFVIMO;
    QString NRTELVIMO;
    double VRTOTVIMO = 0;
    QString NRCPFFIXECRM;
    double VRRESGFIXECRM = 0;
    QString NRIDBONUSCRM;
    QString NRNFCECRMBONUS;

    static CancelledSale fromRow(const DataPacket &rows);
};

// What the committed cancellation leaves to do outside the base.
struct Outcome
{
    bool cancelled = false;       // a sale was found and marked cancelled
    bool statementLines = false;  // the sale had statement lines, now reversed
    CancelledSale sale;
    QList<CentralMovementUpdate> centralMirror; // debit-movement changes for the central base
};

// The statement statements shared by the write and the export after the commit.
bool isElectronic(const QString &kind);
bool isConsumerKind(const QString &kind);

// Writes the cancellation in one transaction; `items` gets the lookup's rows. Answers the
// failure (everything rolled back) or empty.
Variant writeCancellation(const Srv_Kal51000::SaleCancelRequest &request, DataPacket &items, Outcome &outcome);

// After the commit: the central mirrors, the online statement export and the partner
// notifications. Nothing here fails the cancellation: each outcome is logged.
void afterCommit(const Srv_Kal51000::SaleCancelRequest &request, const Outcome &outcome);
void notifyPartners(const Srv_Kal51000::SaleCancelRequest &request, const Outcome &outcome);

// The cancellation's daily log under the site's Dados folder. Never given a secret.
void logCancel(const QString &text);

// Money as partners read it: two decimals with a point, whatever the machine's locale.
QString pointMoney(double value);

} // namespace SaleCancellation
