#pragma once

#include <QString>

#include <atomic>
#include <thread>

// The simulated card program beside the till: it serves the card-program exchange folders
// (ChartFiles) on a thread of its own, as the real one does from another process. It takes a
// request by removing "tefchart.ini"; a purchase ("COMPRACREDITO") or a payment ("PAGAMENTO")
// gets the receipt "cupom.tef", and after the print confirmation ("IMP") the answer
// "tefchart.ok" (holding "NSU=<n>") or "tefchart.can". Our own kinds "CONFIRMA", "DESFAZ" and
// "ESTORNO" (with "NSU=<n>") confirm, undo or reverse a payment of its ledger and are answered
// at once; one it does not know, or an undone one to confirm, is refused with "MENSAGEM=<why>",
// and one asked again for the state it is in is answered the same without a new ledger line.
// The site file Dados/CartaoChart.txt says how it behaves: APROVA (the default), RECUSA,
// NAO_PEGA (never takes a request up), NAO_RESPONDE (takes it, never answers), NAO_CONFIRMA
// (approves payments, never takes a confirmation up) or LIXO (answers junk).
// Every transaction and its state go to Dados/Cartao/transacoes.txt, "NSU;VALOR;ESTADO" a line.
class CardProgram
{
public:
    // With `ownThread` false nothing serves until serveOnce is called (tests step it).
    explicit CardProgram(bool ownThread = true);
    ~CardProgram(); // stops the thread
    CardProgram(const CardProgram &) = delete;
    CardProgram &operator=(const CardProgram &) = delete;

    // One look at the folders: what the thread does every 50 ms (tests call it directly).
    void serveOnce();
    static QString ledgerFile();

private:
    void serve(const QString &request);
    void answer(bool approved, const QString &nsu, const QString &why = {});
    static QString stateOf(const QString &nsu);
    void record(const QString &nsu, const QString &amount, const QString &state);
    QString nextNsu();

    std::atomic<bool> m_stop{false};
    QString m_pendingNsu;   // the payment waiting for its print confirmation
    QString m_pendingAmount;
    std::thread m_thread;
};
