#pragma once

#include <runtime/clientdataset.h>
#include <runtime/variant.h>

#include <QDialog>
#include <QHash>
#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;
class SaleContext;

// The buy-and-win dialog: the operator picks prizes of the campaign and their quantities up to
// the number allowed, each prize priced no higher than the product bought; combination prizes
// are broken into their components by the host's combination dialog. Each prize unit is worth
// 0.01. Refusals show their message (the dialog's own table) and leave the choice as it was.
class TfrmCampCompGanhe : public QDialog
{
public:
    explicit TfrmCampCompGanhe(SaleContext &context);
    ~TfrmCampCompGanhe() override;

    // Params as the product entry fills them (12 values: prize list packet, product texts,
    // campaign code and text, prizes allowed, campaign start, branch, store, client, consumer,
    // price ceiling). Prices every prize once, for the whole opening.
    void InicializaForm(const QList<Variant> &Params);

    void btnPesqProdClick();
    void btnCancProdClick();
    void btnAnteriorClick();
    void btnProximoClick();
    void dtsItensStateChange();
    void btnConfirmaClick();
    void sbtSairClick();

    // The price of the prize row of cdsProduto (0: no price), as priced at the opening.
    void cdsProdutoCalcFields(ClientDataSet &rows);

    bool confirmed() const { return boConfirmado; }
    double totalPremios() const { return doTotalPremios; }
    // How many times the host's price function ran in this opening.
    int priceCalls() const { return m_priceCalls; }

    ClientDataSet cdsProduto{QStringLiteral("cdsProduto")};
    ClientDataSet cdsItens{QStringLiteral("cdsItens")};
    ClientDataSet cdsItPromoComb{QStringLiteral("cdsItPromoComb")};
    ClientDataSet cdsObsItens{QStringLiteral("cdsObsItens")};
    ClientDataSet cdsItPromoCombAux{QStringLiteral("cdsItPromoCombAux")};
    ClientDataSet cdsItPromoObs{QStringLiteral("cdsItPromoObs")};
    ClientDataSet cdsControlPromoObs{QStringLiteral("cdsControlPromoObs")};
    ClientDataSet cdsRetornaPreco{QStringLiteral("cdsRetornaPreco")};

private:
    void defineDatasets();
    void buildControls();
    void loadPrizes();
    void priceAll();
    double priceOf(const QString &CDPRODUTO);
    double askQuantity();
    double chosenQuantity() const;
    void addPrize(double quantity);
    void addComponents();
    void addObservations(const QString &componentSeq);
    void refuse(const QString &key, const QStringList &args = {});
    void showRows();
    QString nextSeq(const QString &seq) const;

    SaleContext &m_context;
    QTableWidget *m_grid = nullptr;
    QLabel *m_product = nullptr;
    QLabel *m_campaign = nullptr;
    QLabel *m_allowed = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_confirm = nullptr;
    QList<Variant> m_params;
    QHash<QString, double> m_prices; // per CDPRODUTO, for this opening
    int m_priceCalls = 0;
    double doQtPremios = 0.0;
    double doPrecoMaximo = 0.0;
    double doTotalPremios = 0.0;
    QString stNrSeqPremio;
    QString stNrSeqItPremio;
    bool boConfirmado = false;
};
