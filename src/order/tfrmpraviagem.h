#pragma once

#include <runtime/clientdataset.h>

#include <QDialog>

#include <memory>

class QAbstractButton;
class QLabel;
class QTableWidget;

// The take-away dialog: the sale's own item lines with a tick column. It works on the caller's
// rows (cdsItems) and keeps no copy: every tick, confirmation and undo is posted to them at
// once, so the sale screen hears of each change. Confirm marks the ticked lines take-away with
// the origin of the sale mode ("TGO_MES" at a table, "TGO_BAL" at the counter); undo takes the
// mark off the ticked lines. Nothing ticked: "PROD_INF", nothing changes.
class TfrmPraViagem : public QDialog
{
public:
    TfrmPraViagem();
    ~TfrmPraViagem() override;

    // Binds the dialog to the caller's rows and unticks every line.
    void InicializaForm(ClientDataSet &items, const QString &Mode);

    // The operator's actions; the grid's double-click works on the current row.
    void dbgProdutoDblClick();
    void dbgProdutoTitleClick(int column);
    void sbtAnteriorClick();
    void sbtProximoClick();
    void sbtConfirmarClick();
    void sbtDesfazerClick();
    void sbtSairClick();

    int ticked() const { return inQtdeCheck; }
    QString origin() const { return stOrigemVenda; }

private:
    void buildGrid();
    void buildButtons();
    void setMark(const QString &IDCHECK);
    void markTicked(const QString &origin, const QString &takeAway);
    void refuse();
    void showRows();

    ClientDataSet *m_items = nullptr;
    QTableWidget *m_grid = nullptr;
    QLabel *m_check = nullptr;
    QLabel *m_uncheck = nullptr;
    int inQtdeCheck = 0;
    QString stOrigemVenda;
};
