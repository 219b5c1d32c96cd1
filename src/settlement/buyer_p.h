#pragma once

#include <QString>

class SaleContext;

// The buyer of the fiscal document: who the buyer is (PinPad, the additional-data dialog or
// the cashback consultation), kept in the form's buyer fields, on every line of the sale and
// on the footer; and the buyer asked for when an item is registered.
class BuyerIdentification
{
public:
    explicit BuyerIdentification(SaleContext &context) : m_context(context) {}

    // The settle button's and the form's identification (spbIncluiCpfClick).
    void run();
    // The buyer for the item being registered (SolicitaCpf).
    void forItem();
    // True when the NFC-e or SAT of this counter sale must name its buyer: the sale total has
    // reached VROBRIGCPFNOTA (0 switches the rule off) on a till that is not a collector.
    bool mandatory() const;

    // Whether the result array holds what the operator chose, or the dialog was abandoned and
    // the buyer must stay as it was.
    enum class Outcome { Taken, Abandoned };

private:
    // buyer.cpp: the identification itself.
    void identifyBuyer(const QString &cashbackCpf, bool askCpf);
    Outcome chooseRoute(bool cashbackCpf);
    // The additional-data dialog in its CPF form, `cpf` shown in it; `cashbackCpf` tells the
    // dialog that the number is already known. Its answer goes to vaRetorno, made afresh first.
    Outcome callDialog(const QString &cpf, bool cashbackCpf);

    // buyerpinpad.cpp: the buyer types the CPF on the PinPad; the dialog follows as the
    // terminal's answer says.
    Outcome pinpadRoute(bool cashbackCpf);
    // An error message of the PinPad road: no colour scheme, 5 on a self-service desk.
    void pinpadMessage(const QString &text);

    // buyeritem.cpp: the buyer of an item.
    void askBuyer();
    void counterSaleBuyer();
    void clientCompanyAsBuyer();
    void consumerAsBuyer();
    // The consumer register of the sale's consumer into cdsCadConsumidor; false when the
    // server failed (it has been reported).
    bool loadConsumerRegister();
    void registeredConsumerName();

    SaleContext &m_context;
};
