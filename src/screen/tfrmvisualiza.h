#pragma once

#include <runtime/clientdataset.h>
#include <sale/saleshell.h>

#include <QWidget>

class DataSetModel;

// The customer display on the till's second monitor: the receipt lines, the weight and the
// total beside three pictures of the shop. It holds no sale logic: the sale form writes its
// dataset and labels (only while its boExibeVisualiza is set) and the form lays itself out and
// loads its pictures each time it is shown.
class TfrmVisualiza final : public QWidget, public CustomerMonitor
{
    Q_OBJECT
public:
    explicit TfrmVisualiza(QWidget *parent = nullptr);
    ~TfrmVisualiza() override;

    // The receipt lines shown to the customer (DSITEM3, DSITEM2, DSITEM, CDPROD, NMPROD,
    // STVALOR, STQTDE, NRSEQ).
    ClientDataSet cdsExtratoVisualiza{QStringLiteral("cdsExtratoVisualiza")};

    // Centres the form on the second monitor, opens the dataset, shows zero total and weight
    // and loads Dados\Img\img1.jpg .. img3.jpg when present.
    void FormShow();

    ClientDataSet &lines() override { return cdsExtratoVisualiza; }
    QLabel *label(const QString &name) const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildBoxes();
    void buildPictures();
    void loadPictures();

    DataSetModel *m_model = nullptr;
};

// The process's customer display; null until start-up creates it.
TfrmVisualiza *frmVisualiza();
TfrmVisualiza &createFrmVisualiza();
// Frees the display (tests; the till keeps it for the life of the process).
void destroyFrmVisualiza();
