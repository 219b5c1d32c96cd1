// The refill mark of a table entry belongs to that entry alone: refused after the seat check
// decided it, the entry leaves no mark for the next line, whichever road registers that one.
#include "entryfixture.h"

#include <order/orderentry.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>

namespace {

class RefillMark : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        if (HasFatalFailure())
            return;
        SaleState &s = state();
        s.host.stModoVenda = QStringLiteral("M");
        s.host.stNRVENDAREST = QStringLiteral("V1");
        s.host.stNRCOMANDA = QStringLiteral("C1");
        s.editParams().stHRTEMPOROD = QStringLiteral("0130");
        form->context().setCaption(FormName::stPosicao, QStringLiteral("1"));
        // The all-you-can-eat plate, refill-controlled: its second entry at the seat is a refill.
        DataPacket packet;
        for (const char *name : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "IDPESAPROD", "SGUNIDADE",
                                 "IDTIPOCOMPPROD", "IDCONTROLAREFIL", "CDFAMILISALD"})
            packet.fields.append(FieldDef{QString::fromLatin1(name), FieldType::String, 60});
        packet.rows.append({QStringLiteral("800"), QStringLiteral("RODIZIO"), QStringLiteral("8.0"), QStringLiteral("N"),
                            QStringLiteral("UN"), QStringLiteral("6"), QStringLiteral("S"), QString()});
        ASSERT_TRUE(data().cdsProdutos.SetData(packet));
        ClientDataSet &items = data().cdsItems;
        if (!items.Active()) {
            ASSERT_TRUE(items.CreateDataSet());
        }
        items.Append();
        items.FieldByName(QStringLiteral("NRSEQ")).SetAsString(QStringLiteral("001"));
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QStringLiteral("800"));
        items.FieldByName(QStringLiteral("NRLUGARMESA")).SetAsString(QStringLiteral("01"));
        items.FieldByName(QStringLiteral("IDPRODREFIL")).SetAsString(QStringLiteral("N"));
        ASSERT_TRUE(items.Post());
    }
};

TEST_F(RefillMark, AnEntryRefusedAfterTheSeatCheckLeavesNoRefillMark)
{
    // The table's time is over: the entry passes the seat check, then is refused.
    state().startup.dtAberturaMesa = now.addSecs(-91 * 60);

    enter(QStringLiteral("800"));

    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("Operação bloqueada. Tempo de duração do rodízio esgotado."));
    EXPECT_EQ(seatsAsked, QStringList({QStringLiteral("01")}));
    EXPECT_EQ(state().road.stAddProdAux3, QString());
}

} // namespace
