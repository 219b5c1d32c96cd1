#pragma once

// Private to the screen subsystem: the writers of the receipt lines (the sale's receipt grid
// and the customer display's copy) and of the footer.

class ClientDataSet;
class QString;
class SaleContext;

class ReceiptLines
{
public:
    explicit ReceiptLines(SaleContext &context) : m_context(context) {}

    void Linha(const QString &text);
    void LinhaEx1(const QString &Codigo, const QString &Nome, const QString &NrSeq, const QString &Qtde,
                  const QString &Preco, const QString &PrecoCliente);
    void LinhaEx2(const QString &Qtde, const QString &Preco, const QString &PrecoCliente, const QString &NrSeq,
                  bool ComObs, const QString &Unidade, double Desconto, double Acrescimo, const QString &Obs);

private:
    QString valueText(const QString &Qtde, double gross, double price, const QString &Unidade, double Desconto,
                      double Acrescimo);
    QString timeText();

    SaleContext &m_context;
};

// The footer: the site's standard lines (mode "1") or a text of the caller's.
class Footer
{
public:
    explicit Footer(SaleContext &context) : m_context(context) {}

    void RestauraRodape(const QString &Modo, const QString &Texto);
    // The average ticket and the receipt count; a part that is no number keeps its label.
    void showTicketFigures();

private:
    void showText(const QString &Texto);
    void showSiteLines();

    SaleContext &m_context;
};
