#pragma once

#include "pkg_hrk0000_common.h"

// Requests and answers of the host's dialogs and access services (package Pkg_Hrk00002).
// Field order follows the order in which the callers pass the values; where the callers pass
// a value whose meaning is the host's, the field keeps the value as passed (a Variant, since
// callers pass 0 or "" or a Boolean in the same place).

// TecladoNumerico: the numeric keypad. Callers pass the value to edit, a title, a prompt, the
// text shown for an empty entry, the maximum length and five further values.
struct KeypadRequest
{
    QString value{};        // in: the text to edit (often empty)
    QString title{};
    QString prompt{};
    QString emptyMessage{}; // shown when the operator confirms nothing
    int maxLength = 10;
    Variant option1 = 0;  // the five further values, as passed (0/1 flags, a default text,
    Variant option2 = 0;  // `boCupomAberto`); their meaning is the keypad's
    Variant option3 = 0;
    Variant defaultText = 0;
    Variant lastFlag = 0;
    bool operator==(const KeypadRequest &) const = default;
};

struct KeypadAnswer
{
    bool confirmed = false; // False: the operator left the keypad
    QString value{};          // the typed text (digits, one decimal comma)
    bool operator==(const KeypadAnswer &) const = default;
};

// Pesquisa: a modal search over the given dataset, leaving the chosen row current.
// Callers pass two leading values ("" / 0 / "N"), the search-window geometry
// (`inAddProdAux1`..4, or zeros) and a last value (`boCupomAberto` or 0).
struct SearchRequest
{
    Variant firstValue{};
    Variant secondValue{};
    int inAddProdAux1 = 0;
    int inAddProdAux2 = 0;
    int inAddProdAux3 = 0;
    int inAddProdAux4 = 0;
    Variant lastValue = 0;
    bool operator==(const SearchRequest &) const = default;
};

// PesqConsumidor: the badge consumer search. The answer fields are the 28 out-values in the
// order the callers hand their form fields.
struct ConsumerSearchRequest
{
    QString prompt{};      // "Passe o crachá", or the load kind text of a credit purchase
    QString secondText{};  // always empty
    QString searchKind = "A";
    QString searchMode = "1";
    bool operator==(const ConsumerSearchRequest &) const = default;
};

struct ConsumerSearchAnswer
{
    bool found = false;
    QString stRecebAux4{}; // "S" asks for biometric confirmation at settlement
    QString stCpfAux1{};
    int inCompraCredAux6 = 0;
    QString callerText{};  // a local text of the caller
    QString stCDCONSUMIDOR{};
    QString stNmConsumidor{};
    QString stCartaoAux1{}; // cost centre
    QString stCdClienteVenda{};
    QString stInicializaAux2{};
    QString stRecebAux10{};
    QString stRecebAux6{}; // IDVERSALDCON
    QString stDebitoConsAux1{};
    QString stVRMESUBCONS{};
    QString stNrCracha{};
    QString stCDTIPOCONS{};
    QString stVRMAXDEBCONS{};
    QString stCredPessoalAux1{};
    QString stCredPessoalAux2{};
    QString stRecebAux8{};
    QString stCartaoAux2{}; // IDTPVENDACONS "1".."7"
    QString stNrInscrConsVenda{};
    QString stCompraCredAux1{};
    int inCompraCredAux1 = 0;
    int inCompraCredAux2 = 0;
    int inCompraCredAux3 = 0;
    int inCompraCredAux4 = 0;
    int inCompraCredAux5 = 0;
    QString stIDCRACHADIGTECL{};
    bool operator==(const ConsumerSearchAnswer &) const = default;
};

// CriaCadConsumidor: the consumer registration dialog (three out-texts, not read).
struct ConsumerRegisterRequest
{
    QString modoVenda{};
    bool operator==(const ConsumerRegisterRequest &) const = default;
};

struct ConsumerRegisterAnswer
{
    bool done = false;
    QString text1{}, text2{}, text3{};
    bool operator==(const ConsumerRegisterAnswer &) const = default;
};

// VerificaAcesso: may the operator do the action? On False the host has told the operator.
struct AccessRequest
{
    int actionCode = 0; // inCTMULTIPLICADOR, inCTCANCCUPOM, ...
    QString cdOperador{};
    bool operator==(const AccessRequest &) const = default;
};

struct AccessAnswer
{
    bool allowed = false;
    QString stRetAcesso{}; // the authoriser
    bool operator==(const AccessAnswer &) const = default;
};

// ControleAcess answers a text: "N" denies, any other text grants. No dialog.
struct RightRequest
{
    int actionCode = 0;
    QString cdOperador{};
    bool operator==(const RightRequest &) const = default;
};

// LogControleAcess: one access-log line. Named by meaning: the receipt cancellation passes the
// same values in another order, the callers fill the fields by what they hold.
struct AccessLogRequest
{
    QString cdFilial{};
    QString cdCaixa{};
    QString action{};      // "ABR_GAV", "OBS_PED", "PRO_COM", "PED_MES", "PES_PRO", "CAN_CUP", ...
    QString cdOperador{};
    QString nmOperador{};
    QString stRetAcesso{}; // the authoriser
    QString description{}; // e.g. the text of "Mot_Can_Cup1"
    QString text{};        // e.g. the text of "Mot_Can_Cup" + " " + number
    // The six trailing values: order logs pass the sale's references, the others empties.
    QString nrVendaRest{};
    QString nrComanda{};
    QString nrComandaExib{};
    QString nrMesa{};
    QString cdVendedor{};
    Variant lastValue = QString();
    bool operator==(const AccessLogRequest &) const = default;
};

// TrocaOperadorCaixa: the operator change, with the operator name in and out.
struct OperatorChangeRequest
{
    QString stNMOPERADOR{};
    bool operator==(const OperatorChangeRequest &) const = default;
};

struct OperatorChangeAnswer
{
    bool done = false;
    QString stNMOPERADOR{};
    bool operator==(const OperatorChangeAnswer &) const = default;
};

// CriaPromocaoInteligente: the smart-promotion dialog fills three working datasets.
struct SmartPromotionRequest
{
    QString cdProduto{};
    QString nmProduto{};
    QString cdClienteVenda{};
    QString cdConsumidor{};
    QString idImpProduto{};
    QString idPercValor{};
    QString idAcreDesc{};
    double vrPreco = 0;    // the prize road passes 0.01
    double vrPrecoDia = 0;
    double doQuantidade = 0;
    bool hasDiscount = false; // the item already carries a discount or an addition
    bool vendaDebito = false;
    QString nrVendaRest{};
    QString modoVenda{};
    bool operator==(const SmartPromotionRequest &) const = default;
};

struct SmartPromotionDatasets
{
    ClientDataSet &cdsItPromoCombAux;  // filled: one row per chosen component
    ClientDataSet &cdsItPromoObs;      // filled: chosen observations keyed by NRSEQ
    ClientDataSet &cdsControlPromoObs; // filled: CDOCORR -> CDPRODUTO
    ClientDataSet &cdsItems;           // read: the receipt lines
    QList<const ClientDataSet *> list() const
    {
        return {&cdsItPromoCombAux, &cdsItPromoObs, &cdsControlPromoObs, &cdsItems};
    }
};

// CriaConsultaProd: shows the price of a product (no result).
struct PriceConsultationRequest
{
    QString cdArvProd{};
    QString cdClienteVenda{};
    QString cdConsumidor{};
    bool boCupomAberto = false;
    bool operator==(const PriceConsultationRequest &) const = default;
};

// AtivaProcesso: a modeless waiting window until DesativaProcesso (which must tolerate a
// second close).
struct WaitWindowRequest
{
    QWidget *owner = nullptr; // the sale form
    QString text{};
    int value3 = 0;
    int value4 = 0;
    bool operator==(const WaitWindowRequest &) const = default;
};

// CalcTicketMedio: "average-count" for the branch, store and opening date.
struct TicketAverageRequest
{
    QString cdFilial{};
    QString cdLoja{};
    QDateTime dtAberCaix{};
    bool operator==(const TicketAverageRequest &) const = default;
};

// Vd_VrMinMaxSangria: answers a Variant read as Boolean; True stops the first item (the host
// has shown its own message). A failure variant when the service is missing.
struct CashLimitRequest
{
    QString cdFilial{};
    QString cdCaixa{};
    QDateTime dtAberCaix{};
    bool operator==(const CashLimitRequest &) const = default;
};

// Observacao: the observation dialog. Line, group and end-of-sale forms pass seven or nine
// values; the cancellation passes "S", "C", ... (nine values).
struct ObservationRequest
{
    QString value0{};        // "N" (order lines) or "S" (cancellation)
    QString value1{};        // "P" or "C"
    QString code{};          // CDPRODUTO, "" or "IDSOLOBSFINVEN"
    QString caption{};       // NMPRODUTO or the prompt ("Informe a Observação do Grupo")
    QString current{};       // STOBSPEDIDO or the current observation
    bool boCupomAberto = false;
    QString nrAtraProd{};    // seventh value
    QString value7{};        // eighth and ninth values of the nine-value forms
    QString value8{};
    int valueCount = 7;    // 7 or 9, as the caller passes
    bool operator==(const ObservationRequest &) const = default;
};

struct ObservationAnswer
{
    QString text = "erro";    // the observation; "erro" means none
    Variant cdGrupoOcorr{};     // element 0: group code
    Variant holdMinutes{};      // element 1 (the cancellation reads it as the note's second value)
    DataPacket occurrences{};   // element 2: chosen occurrences (CDOCORR)
    QString typed{};            // element 3: the typed observation
    DataPacket controlData{};   // element 4: CDOCORR, IDCONTROLAOBS, CDPRODUTO
    bool replace = false;     // element 5
    bool operator==(const ObservationAnswer &) const = default;
};

// ProdCombinado: the combined-product dialog answers the chosen parts as a packet (empty =
// nothing chosen). A failure is answered in `failure`, never thrown.
struct CombinedProductRequest
{
    bool boCupomAberto = false;
    QString cdClienteVenda{};
    QString cdConsumidor{};
    bool operator==(const CombinedProductRequest &) const = default;
};

struct CombinedProductAnswer
{
    DataPacket chosen{}; // 13 columns of cdsProdCombinado
    QString failure{};
    bool operator==(const CombinedProductAnswer &) const = default;
};

// CancelaPedido: the order-cancellation dialog. It removes the chosen lines from the items,
// appends one row each to cdsItensCancelados (cursor on the first added) and answers the
// surcharge carried by the cancelled lines.
struct OrderCancelRequest
{
    bool vendaDebito = false;
    bool creditoPessoal = false;
    QString nrMesa{};
    QString stRecebAux5{};
    QString modoVenda{};
    bool operator==(const OrderCancelRequest &) const = default;
};

struct OrderCancelDatasets
{
    ClientDataSet &cdsItems; // passed through its data source dtsItems
    ClientDataSet &cdsItensCancelados;
    ClientDataSet &cdsFamiliaSaldo;
    QList<const ClientDataSet *> list() const
    {
        return {&cdsItems, &cdsItensCancelados, &cdsFamiliaSaldo};
    }
};

struct OrderCancelAnswer
{
    double surcharge = 0;
    bool operator==(const OrderCancelAnswer &) const = default;
};

// CriaFuncoesFiscais: the fiscal functions menu; True = back to the sale screen, False =
// leave it ("FECHA_SISTEMA").
struct FiscalFunctionsRequest
{
    bool boCupomAberto = false;
    QString modoVenda{};
    bool operator==(const FiscalFunctionsRequest &) const = default;
};

// CriaDadosClienteArgentina: the buyer-data dialog of printer model 26; the seven fields go
// in and out by reference.
struct ArgentineBuyerData
{
    QString stRecebAux5{};
    QString stNomeNota{};
    QString stPedidoAux1{};
    QString stNRINSJURCLIE{};
    QString stEnderecoNota{};
    QString stPedidoAux2{};
    int inPedidoAux1 = 0;
    bool operator==(const ArgentineBuyerData &) const = default;
};

struct ArgentineBuyerAnswer
{
    bool confirmed = false;
    ArgentineBuyerData data;
    bool operator==(const ArgentineBuyerAnswer &) const = default;
};

// CriaMensagemProducao: free production message for a table or tab (no result).
struct ProductionMessageRequest
{
    QString nrMesa{};
    QString nrVendaRest{};
    QString nrComanda{};
    QString nrComandaExib{};
    bool operator==(const ProductionMessageRequest &) const = default;
};

// CriaFidelidade: the loyalty registration dialog (no result).
struct LoyaltyDialogRequest
{
    QString cdConsumidor{};
    QString nmConsumidor{};
    QString nrInscrConsVenda{};
    QString stCompraCredAux1{};
    QString cdClienteVenda{};
    bool operator==(const LoyaltyDialogRequest &) const = default;
};

// CriaConfirmaBio: biometric confirmation; answers the consumer whose finger was read.
struct BiometricRequest
{
    QString cdCliente{};
    bool operator==(const BiometricRequest &) const = default;
};

struct BiometricAnswer
{
    bool done = false;
    QString cdConsumidor{}; // empty when nothing was read
    bool operator==(const BiometricAnswer &) const = default;
};

// CriaInfAdicional: the additional-data dialog. It is called in several layouts that the
// dialog tells apart by their length (`valueCount`: 8, 9, 10, 11, 14 or 16 values); the fields
// are named by what the callers put there. `toArray()` gives the positional form.
struct AdditionalDataRequest
{
    enum Position {
        Document = 0, Name = 1, Address = 2, AskObservation = 3, AskConsumerName = 4,
        Value5 = 5, Scheme = 6, AskNameAddress = 7, Value8 = 8, BalanceRedemption = 9,
        Value10 = 10, AskEmail = 11, Email = 12, Value13 = 13, Value14 = 14,
        NoCashbackCpf = 15, MaxValues = 16
    };
    QString document{};          // 0: CPF/CNPJ shown (PinPad CPF, registration number)
    QString name{};              // 1
    QString address{};           // 2
    QString askObservation{};    // 3: "S" asks the debit-voucher observation
    QString askConsumerName{};   // 4: IDSOLDIGCONS
    QString value5{};            // 5
    QString idEsquema{};         // 6
    QString askNameAddress{};    // 7: IDINFNOMEEND ("S" on the QR sale)
    QString value8{};            // 8: "S" in the coupon / promotion-code / QR forms
    QString balanceRedemption{}; // 9: "S" when IDINTRESGSALDO is "S"
    QString value10{};           // 10: "S" in the promotion-code form, "N" in the CPF form
    QString askEmail{};          // 11: "S" in the e-mail form
    QString email{};             // 12: current e-mail
    QString value13{};           // 13
    QString value14{};           // 14
    QString noCashbackCpf{};     // 15: "S" when no cashback CPF is present
    int valueCount = 8;

    QList<Variant> toArray() const;
    bool operator==(const AdditionalDataRequest &) const = default;
};

// Elements of the dialog's result array, by what the callers read.
struct AdditionalDataAnswer
{
    enum Position { Document = 0, Name = 1, Address = 2, Observation = 3, Code = 4,
                    ForeignId = 5, Email = 6 };
    bool confirmed = false; // the dialog's own Boolean; no caller reads it
    QString document{};       // 0: CPF or CNPJ typed
    QString name{};           // 1
    QString address{};        // 2
    QString observation{};    // 3
    QString code{};           // 4: discount coupon or promotion code
    QString foreignId{};      // 5
    QString email{};          // 6

    // The ten-element result array of the host's contract, and its reading.
    Variant toArray() const;
    static AdditionalDataAnswer fromArray(const Variant &vaRetorno);
    bool operator==(const AdditionalDataAnswer &) const = default;
};
