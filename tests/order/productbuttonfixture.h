#pragma once

// The sale form of the entry tests with a touch grid: group, product and page-count tables
// written straight into the form's datasets, the product button's own server lookups scripted,
// and a server probe that answers as the test says. Header-only, for the grid's screen tests.
#include "entryfixture.h"

#include <order/productbutton.h>
#include <sale/salecontext.h>
#include <screen/screenshell.h>

#include <QPushButton>

class ButtonTest : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        ServerSeams &table = server->table();
        table.lookupsProducts.getIDUTILDESCDIA = [this](const QString &, const QString &code, const QString &, const QString &weekday) {
            weekdaysAsked.append(weekday);
            return dayPrice.contains(code) ? QStringLiteral("S") : QString();
        };
        table.lookupsTills.getIDIMPQRTOPDATA = [](const QString &, const QString &, const QString &) { return QString(); };
        table.loyalty.getProdPromoFidelidade = [this](const QString &, const QString &code) {
            DataPacket packet;
            packet.fields = {FieldDef{QStringLiteral("CDPRODUTO"), FieldType::String, 20}};
            if (loyalty.contains(code))
                packet.rows.append({code});
            return Variant(packet);
        };
        table.lookupsProducts.getProdTxServ = [this](const QString &, const QString &) { return serviceFee; };
        host->setDefault(&Pkg_Hrk00002::Vd_VrMinMaxSangria, Variant(false));
        host->setDefault(&Pkg_Hrk00002::LogImpNFiscal, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::CriaRegVenda, HostResult::done());
        m_previousProbe = ServerSeams::current().access.serverProbe;
        ServerSeams::current().access.serverProbe = [this] { return probeFailure; };
        state().startup.dtMovimentoFiscal = now;
        state().editParams().dtDTABERCAIX = QDateTime(now.date(), QTime(7, 0));
        setPages({}, {});
    }
    void TearDown() override
    {
        ServerSeams::current().access.serverProbe = m_previousProbe;
        host->setDefault(&Pkg_Hrk00002::Vd_VrMinMaxSangria, Variant(false));
        host->setDefault(&Pkg_Hrk00002::LogImpNFiscal, HostResult::done());
        host->setDefault(&Pkg_Hrk00002::CriaRegVenda, HostResult::done());
        EntryTest::TearDown();
    }

    static DataPacket texts(const QStringList &fields, const QList<QStringList> &rows)
    {
        DataPacket packet;
        for (const QString &name : fields)
            packet.fields.append(FieldDef{name, FieldType::String, 60});
        for (const QStringList &row : rows) {
            QList<Variant> values;
            for (const QString &value : row)
                values.append(value);
            packet.rows.append(values);
        }
        return packet;
    }

    // Group rows: button, page, type, caption, font, text colour, background colour.
    void setGroups(const QList<QStringList> &rows)
    {
        ASSERT_TRUE(data().cdsConfigGrupo.SetData(texts({"NRBUTTON", "NRPGCONFTELA", "IDTPBUTTON", "DSBUTTON",
                                                         "NRFONTETEXT", "NRCOLORTEXT", "NRCOLORBACK"},
                                                        rows)));
    }

    struct Button
    {
        QString button, group = QStringLiteral("01"), page = QStringLiteral("1"), groupPage = QStringLiteral("1");
        QString type = QStringLiteral("1"), caption, product, weighed = QStringLiteral("N");
        QString composition, font, family = QStringLiteral("LAN");
    };
    void setButtons(const QList<Button> &buttons)
    {
        QList<QStringList> rows;
        for (const Button &b : buttons)
            rows.append({b.button, b.group, b.page, b.groupPage, b.type, b.caption, b.font, "0", "16777215",
                         b.product, b.product, QStringLiteral("PRODUTO ") + b.product, "1." + b.product,
                         b.composition, b.weighed, "", "", "", b.family, "UN", ""});
        ASSERT_TRUE(data().cdsConfigProd.SetData(texts(
            {"NRBUTTON", "NRBUTTONAUX", "NRPGCONFTELA", "NRPGCONFTAUX", "IDTPBUTTON", "DSBUTTON", "NRFONTETEXT",
             "NRCOLORTEXT", "NRCOLORBACK", "CDPRODUTO", "CDIDENTBUTON", "NMPRODUTO", "CDARVPROD", "IDTIPOCOMPPROD",
             "IDPESAPROD", "QTTARAPROD", "DTINIVGPROMOC", "DTFINVGPROMOC", "CDFAMILISALD", "SGUNIDADE",
             "IDIMPPRODUTO"},
            rows)));
    }
    // Group pages (one row, or none) and product pages: group button, group page, pages.
    void setPages(const QStringList &groupPages, const QList<QStringList> &productPages)
    {
        QList<QStringList> groupRows;
        if (!groupPages.isEmpty())
            groupRows.append(groupPages);
        ASSERT_TRUE(data().cdsMaxGrupo.SetData(texts({"QTDEPG"}, groupRows)));
        ASSERT_TRUE(data().cdsMaxProduto.SetData(texts({"NRBUTTONAUX", "NRPGCONFTAUX", "QTDEPG"}, productPages)));
    }

    // The grid as start-up leaves it: group page 1, group "01", product page 1.
    void drawGrid()
    {
        ScreenShell &shell = form->context().shell();
        shell.MontaConfigGrupo(true);
        state().screen.stBalcaoAux1 = QStringLiteral("01");
        state().screen.inPaginaProduto = 1;
        shell.MontaConfigProduto(true, QStringLiteral("01"));
    }

    QPushButton *grid(const QString &name) { return form->findChild<QPushButton *>(name); }
    void click(const QString &name) { grid(name)->click(); }
    // The captions of the shown buttons of a block, by number.
    QStringList shown(const char *prefix, int count)
    {
        QStringList found;
        for (int n = 1; n <= count; ++n) {
            QPushButton *b = grid(QString::fromLatin1(prefix) + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
            if (b && !b->isHidden())
                found.append(QStringLiteral("%1:%2").arg(n).arg(QString(b->text()).replace(QLatin1Char('\n'), QLatin1Char(' '))));
        }
        return found;
    }
    QString Msg(const char *key) { return form->context().Msg(QString::fromLatin1(key)); }
    QStringList quantities() const
    {
        QStringList found;
        for (const PreenchePedidoArgs &args : registered)
            found.append(args.QTPRODCOMVEN);
        return found;
    }

    QStringList dayPrice;
    QStringList loyalty;
    QStringList weekdaysAsked;
    QString serviceFee;
    QString probeFailure;
    // The pauses of the test (the recording sleeper of every test).
    const QList<int> &slept = pauses();

private:
    std::function<QString()> m_previousProbe;
};
