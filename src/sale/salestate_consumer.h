#pragma once

#include <runtime/variant.h>

#include <QList>
#include <QString>

// Families of the sale form's state about the badge consumer, loyalty and partner programmes.
// They go whole with the sale (SaleRecord in salestate.h).

// The consumer of the sale as the host's badge search (PesqConsumidor) fills it; the limit
// texts are the search's, kept as text and converted where they are compared.
struct ConsumerState
{
    QString stCDCONSUMIDOR;             // the host's consumer argument at the call start
    QString stNmConsumidor;
    QString stNrCracha;                 // badge number
    QString stCDTIPOCONS;               // consumer type
    QString stCDSERVFILI;               // branch service of the product being loaded
    QString stNrInscrConsVenda;         // consumer registration number (CPF when stCpfAux1 "S")
    QString stCpfAux1;                  // "S": the registration number is the buyer's CPF
    QString stTipoVendaCons = QStringLiteral("0"); // chosen consumer-sale kind, "0" none
    QString stInicializaAux2;
    QString stRecebAux4 = QStringLiteral("N"); // "S": biometric confirmation at settlement
    QString stRecebAux6;                // IDVERSALDCON, balance verification mark
    QString stRecebAux8;                // VRMAXCREDCONS
    QString stRecebAux10;
    QString stDebitoConsAux1;           // VRAVIDEBCONS
    QString stVRMESUBCONS;              // VRLIMDEBCONS
    QString stVRMAXDEBCONS;
    QString stCredPessoalAux1;          // VRAVICREDCONS
    QString stCredPessoalAux2;          // VRLIMCREDCONS
    QString stCartaoAux1;               // cost centre of the sale (CDCCUSCLIE)
    QString stCartaoAux2;               // IDTPVENDACONS
    QString stCompraCredAux1;
    int inCompraCredAux1 = 0;
    int inCompraCredAux2 = 0;
    int inCompraCredAux3 = 0;
    int inCompraCredAux4 = 0;
    int inCompraCredAux5 = 0;
    int inCompraCredAux6 = 0;
    QString stIDCRACHADIGTECL;          // filled by the badge search, not the parameter row
    QString stPedidoAux6;               // account letter of the balance query
    QString stSaldGastAux1;             // context text of the last balance server call
    QString stSaldGastAux2;             // central operation that failed, for the message's "%s"
    QString stBonusAux1;                // IDRECEBEBONUS of the consumer type
    bool boCartaoAux1 = false;          // badge sale; automatic product refused by the limits
    bool boCartaoAux2 = false;          // service products of the current hour are known
    bool boCartaoAux3 = false;          // the consumer type has service products this hour
};

// The maxima of a consumer's account that a limit check compares a sale against.
enum class ConsumerLimit {
    ConsumerMaximum, // the consumer's own daily maximum (VRMAXCREDCONS / VRMAXDEBCONS)
    StoreDaily,      // the consumer type's daily maximum at the store
    StoreMonthly,    // the consumer type's monthly maximum at the store
    Monthly,         // the monthly maximum of the debit account
    BasicBalance,    // the basic balance of the debit scheme
    ExtraBalance,    // the extra balance of the debit scheme
};

// What a limit check found: each maximum the item or sale broke, with the room the maximum
// still leaves (the maximum less what was spent before this sale, to the cent; below zero when
// the account is already past it). A maximum whose text does not read as a number is broken
// with no room and keeps the text, so settlement can name it.
struct LimitVerdict
{
    struct Broken
    {
        ConsumerLimit limit = ConsumerLimit::ConsumerMaximum;
        QString name;       // the limit's column, for messages
        double room = 0.0;
        QString unreadable; // the text of a limit that is no number; empty otherwise
    };
    QList<Broken> broken;

    bool holds() const { return broken.isEmpty(); }
    bool holds(ConsumerLimit limit) const { return !find(limit); }
    const Broken *find(ConsumerLimit limit) const
    {
        for (const Broken &entry : broken) {
            if (entry.limit == limit)
                return &entry;
        }
        return nullptr;
    }
    void breaks(ConsumerLimit limit, const QString &name, double room, const QString &unreadable = QString())
    {
        broken.append({limit, name, room, unreadable});
    }
};

// Balances, spending and limit results of the consumer; money kept as the source gives it.
struct ConsumerFigures
{
    double doSaldoCredFamilia = 0.0;    // personal-credit balance in one balance family
    double doSaldoCons = 0.0;           // debit-account balance
    double doGastoCons = 0.0;           // spending today
    double doConsumoLojaDia = 0.0;      // spending today in this branch and store
    double doConsumoLojaMes = 0.0;      // spending this month in this branch and store
    double doConsumoMes = 0.0;          // debit spending in the calendar month
    double doSubsidioBasicoEmp = 0.0;   // company basic subsidy spent today on the consumer
    double doSubsidioBasico = 0.0;      // basic subsidy granted to the consumer
    double doVRSALDOBASICO = 0.0;       // basic balance of the consumer type in the branch
    double doVRSALDOEXTRA = 0.0;        // extra balance of the consumer type in the branch
    double doConsumoSaldoExtra = 0.0;   // debit spending since the payroll period began
    double doDebitoConsAux1 = 0.0;      // company subsidy granted on the items so far
    double doDebitoConsAux2 = 0.0;      // running value of the items examined so far
    double doDebitoConsAux3 = 0.0;
    double doSubsidioAux1 = 0.0;        // running basic and extra subsidy values of the split
    double doSubsidioAux2 = 0.0;
    double doSubsidioAux3 = 0.0;
    double doRecebAux2 = 0.0;           // consumption total of the last maximum check
    double doTotalVendaAux = 0.0;       // running sale total of the credit check

    LimitVerdict limits;                // the maxima the last limit check found broken
    bool boRecebAux1 = false;           // debit balance floor held; settlement sets it first
};

// Loyalty campaigns, cashback partners and discount coupons of the sale.
struct LoyaltyState
{
    bool boFidelidade = false;          // a sold product belongs to a loyalty campaign
    QString stNRSEQPRODCAMP;            // campaign product sequence of the last such product
    bool boFidelidadeAux1 = false;      // benefit list: use chosen
    bool boFidelidadeAux2 = false;      // benefit list: closed without a choice
    bool boFidelidadeAux3 = false;      // a benefit was chosen in this call
    QString stFidelidadeAux1;           // CDCAMPANHA of the benefit list's current row
    QString stFidelidadeAux2;           // NRSEQPRODCAMP of that row
    QString stFidelidadeAux3;           // NRSEQBENEFICIO of that row
    double doFidelidadeAux1 = 0.0;      // loyalty discount of the sale
    int pendingBenefitLine = 0;         // line (inInicializaAux4) whose benefit use is reserved
                                        // while its item registers; 0: none
    bool pointsDiscountApplied = false; // the points discount is already on this sale
    double doCashbackAux1 = 0.0;
    double doCashbackAux2 = 0.0;
    double doCashbackUDSAux1 = 0.0;
    QString stCDCUPOMDESCQUB;           // coupon code typed
    double doVrCupomDesc = 0.0;         // coupon value
    double doCupomDescAux1 = 0.0;
};

// The sale's customer at the fuel-station loyalty programme (ClubPetro). Owner: the partner's
// steps. The document named for this sale, the segment its consult found and the redemption's
// result belong to this customer and go with the sale; the programme's token, address and online
// switch, which the till keeps, are ClubPetroLink (salestate_till.h).
struct ClubPetroCustomer
{
    QString stCNPJFil;                  // branch CNPJ sent by the consult
    QString stCpfClubPetro;             // customer document of the sale
    QString stSenhaClubPetro;
    QString stGrupoConsClubPetro;       // segment group of the consulted customer
    bool boCliClubPetroExiste = true;   // the customer exists and may take part
    QString stMensagemClubPetro;        // operator message of the last failure
    QString stMensagemClubPetroAux;     // detail of the last failure, for the log
    QString stErroRequisicao;           // error text of the last failed request
    QString stClubPetroResult;          // answer text of the last successful request
    QString JSONBody;                   // JSON text of the token request
    // Result of the redemption: CNPJ used, authorisation, kind ("N" none, "F" failed, "O" done).
    QString stCDCNPJRESGSALDO;
    QString stCDINTRESGSALDO;
    QString stIDTIPORESGATE = QStringLiteral("N");
    double doSaldoRest = 0.0;           // remaining balance after the redemption
    QString stIdUnicoClubPetro;         // id_consumo_ponto of the redemption under way
    Variant arResultClubPetro;          // last request: [0] HTTP status, [1] answer or error
};
