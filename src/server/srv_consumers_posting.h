#pragma once

#include <vendacons_export.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QString>

namespace Qub_movrela {
class DbConnection;
}

// The consumer's part of a saved sale, posted by the sale's save inside its own transaction.
struct ConsumerPosting
{
    QString CDFILIAL;
    QString CDLOJA;
    QString CDCAIXA;
    QString NRSEQVENDA;
    QString CDCLIENTE;
    QString CDCONSUMIDOR;
    QString CDOPERADOR;
    QDateTime DTABERCAIX;
    // The sale's amount per balance family (CDFAMILISALD, VRSALDCONFAM), paid by personal credit.
    DataPacket families;
    // The loans between families the validation found (CDFAMILISALD, IDTPMOVEXT "D"/"C", VRMOVEXTCONS).
    DataPacket loans;
    // The receipt type of the personal-credit payment (on the sale's "V" lines).
    QString CDTIPORECE;
    // The part paid on the consumer's debit account (MOVICLIE).
    double debit = 0;
    // The till lets a family go short when the consumer's balance is not checked
    // (IDPERCOMVENCPDC "S" and the consumer's IDVERSALDCON "S").
    QString IDPERCOMVENCPDC;
};

// Heads the failure text of a save refused for a consumer's limit; the rest is the cashier's text.
inline constexpr char consumerLimitRefusal[] = "LIMITE_CONSUMIDOR ";

namespace Srv_Kal51000 {

// Posts the consumer's part of the sale on `connection`, which must hold the save's open
// transaction: the consumer is locked first, then the loans and the "V" lines go into the
// statement with their sequence and carried balance taken now, SALDOCONS follows, and the
// debit and the company's subsidy go into MOVICLIE. A family that would end below zero
// without leave answers "ERRO_2<family> - <name>"; the caller then rolls the whole save back.
// For a consumer whose balance is checked, the maxima and floors the till checks before the save
// are checked again under the lock, with what other tills saved meanwhile: a sale that would pass
// one answers `consumerLimitRefusal` followed by the refusal in words for the cashier.
// Empty on success, or the failure.
VENDACONS_EXPORT Variant setLancaConsumo(Qub_movrela::DbConnection &connection, const ConsumerPosting &posting);

// The part of a payroll debit of `debit` the company's basic subsidy would pay if the sale
// were saved now (what setLancaConsumo books on the company's row; the consumer's own row
// takes the rest), for a voucher printed before the save. A number, or the failure.
VENDACONS_EXPORT Variant getSubsidioDebito(const QString &CDCLIENTE, const QString &CDCONSUMIDOR, double debit);

} // namespace Srv_Kal51000
