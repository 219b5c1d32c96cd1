#pragma once

// Private to the screen subsystem: the observations of a sale line (F10).

#include <outside/pkg_hrk00002_dialogs.h>
#include <runtime/clientdataset.h>

#include <QString>

class SaleContext;

// Attaches occurrences, a text and a hold time to a line of the open sale, or one text to
// the whole group of a combined product. The occurrences go into cdsObsItens; one that
// carries a product adds that product as a line under the observed one.
class ObservationEntry
{
public:
    explicit ObservationEntry(SaleContext &context);

    void spbObsClick();

private:
    // The run's scratch: the dialog's answer and the two packets it hands back.
    struct Run
    {
        ObservationAnswer answer;
        QString text;             // the observation text; "erro" and empty are none
        QString authoriser;       // who allowed it: its own log's, never the sale's
        ClientDataSet cdsOcorrencia{QStringLiteral("cdsOcorrencia")};
        ClientDataSet cdsControlaObs{QStringLiteral("cdsControlaObs")};
    };

    bool lineChosen();
    // False when the group's parent line is gone: nothing is asked, nothing written.
    bool askGroup();
    void askLine();
    ObservationAnswer ask(const ObservationRequest &request);
    bool currentLineIsChild() const;
    void clearLine();
    void removeOccurrenceProducts(const QString &nrSeq, const QString &cdProduto);
    void writeObservation();
    void updatePromotionComponent();
    void addOccurrenceRows();
    QString occurrenceProduct(const QString &cdOcorr);
    void logObservation();
    void addObservationProducts();
    void refreshReceipt();
    QString itemText(const char *column) const;
    bool hasText() const;

    SaleContext &m_context;
    Run m_run;
};
