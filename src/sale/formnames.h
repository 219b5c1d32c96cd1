#pragma once

#include <QLatin1StringView>

// The object names of the sale form and of the customer display, as the handlers, findChild and
// the tests find their controls. Each constant is spelt by its own identifier, so a name cannot
// drift from the constant that stands for it; a typo is a compile error, not a missing control.

// The kind of object a name stands for: what the form builds under it.
enum class ControlKind { Form, Label, Button, Panel, Grid, Timer, Edit };

struct NamedControl
{
    QLatin1StringView name;
    ControlKind kind;
};

#define VENDACONS_NAME(identifier) inline constexpr QLatin1StringView identifier{#identifier};

namespace FormName {

VENDACONS_NAME(frmVendaCons)

// Header and pictures.
VENDACONS_NAME(imgLogo)
VENDACONS_NAME(imgLogoPadrao)
VENDACONS_NAME(imgMovrela)
VENDACONS_NAME(imgLumbera)
VENDACONS_NAME(ImgQubNFCe)
VENDACONS_NAME(lblMenu)
VENDACONS_NAME(lblMensagemCaixa)
VENDACONS_NAME(lblDataHora)
VENDACONS_NAME(lblBuffer)
VENDACONS_NAME(lblBufferQRCODE)
VENDACONS_NAME(lblProduto)

// Consumer, tab and persons.
VENDACONS_NAME(lblNrPessoas)
VENDACONS_NAME(lblNrPes)
VENDACONS_NAME(lblQtde2)
VENDACONS_NAME(lblQtdeTotal2)
VENDACONS_NAME(lblValor2)
VENDACONS_NAME(lblTotVenda)
VENDACONS_NAME(lblNmCons)
VENDACONS_NAME(lblCracha)

// Receipt.
VENDACONS_NAME(panFundoBandeja)
VENDACONS_NAME(panCupom)
VENDACONS_NAME(dbgCupom)
VENDACONS_NAME(spbGridAcima)
VENDACONS_NAME(spbGridBaixo)
VENDACONS_NAME(stPosicao)
VENDACONS_NAME(spbPosAbaixo)
VENDACONS_NAME(spbPosAcima)

// Totals.
VENDACONS_NAME(bdsPrecoFundo)
VENDACONS_NAME(lblValor)
VENDACONS_NAME(lblVrTotal)
VENDACONS_NAME(lblQtde)
VENDACONS_NAME(lblQtdeTotal)
VENDACONS_NAME(lblSerieD)
VENDACONS_NAME(lblValSaldDisp)

// Touch grid: twelve group buttons and, on panBalcao, thirty-six product buttons.
VENDACONS_NAME(tcbGrupo01)
VENDACONS_NAME(tcbGrupo02)
VENDACONS_NAME(tcbGrupo03)
VENDACONS_NAME(tcbGrupo04)
VENDACONS_NAME(tcbGrupo05)
VENDACONS_NAME(tcbGrupo06)
VENDACONS_NAME(tcbGrupo07)
VENDACONS_NAME(tcbGrupo08)
VENDACONS_NAME(tcbGrupo09)
VENDACONS_NAME(tcbGrupo10)
VENDACONS_NAME(tcbGrupo11)
VENDACONS_NAME(tcbGrupo12)
VENDACONS_NAME(panBalcao)
VENDACONS_NAME(tcbBalcao01)
VENDACONS_NAME(tcbBalcao02)
VENDACONS_NAME(tcbBalcao03)
VENDACONS_NAME(tcbBalcao04)
VENDACONS_NAME(tcbBalcao05)
VENDACONS_NAME(tcbBalcao06)
VENDACONS_NAME(tcbBalcao07)
VENDACONS_NAME(tcbBalcao08)
VENDACONS_NAME(tcbBalcao09)
VENDACONS_NAME(tcbBalcao10)
VENDACONS_NAME(tcbBalcao11)
VENDACONS_NAME(tcbBalcao12)
VENDACONS_NAME(tcbBalcao13)
VENDACONS_NAME(tcbBalcao14)
VENDACONS_NAME(tcbBalcao15)
VENDACONS_NAME(tcbBalcao16)
VENDACONS_NAME(tcbBalcao17)
VENDACONS_NAME(tcbBalcao18)
VENDACONS_NAME(tcbBalcao19)
VENDACONS_NAME(tcbBalcao20)
VENDACONS_NAME(tcbBalcao21)
VENDACONS_NAME(tcbBalcao22)
VENDACONS_NAME(tcbBalcao23)
VENDACONS_NAME(tcbBalcao24)
VENDACONS_NAME(tcbBalcao25)
VENDACONS_NAME(tcbBalcao26)
VENDACONS_NAME(tcbBalcao27)
VENDACONS_NAME(tcbBalcao28)
VENDACONS_NAME(tcbBalcao29)
VENDACONS_NAME(tcbBalcao30)
VENDACONS_NAME(tcbBalcao31)
VENDACONS_NAME(tcbBalcao32)
VENDACONS_NAME(tcbBalcao33)
VENDACONS_NAME(tcbBalcao34)
VENDACONS_NAME(tcbBalcao35)
VENDACONS_NAME(tcbBalcao36)

// Panels over the touch grid while a road waits for a choice, and the printer error.
VENDACONS_NAME(panEscolheVenda)
VENDACONS_NAME(spbVendaDeb)
VENDACONS_NAME(sbtFidelidade)
VENDACONS_NAME(spbCredPessoal)
VENDACONS_NAME(spbVendaVis)
VENDACONS_NAME(spbCancEscolhe)
VENDACONS_NAME(pnlListaBeneficio)
VENDACONS_NAME(dbgBeneficio)
VENDACONS_NAME(lblListaBeneficio)
VENDACONS_NAME(btnEnterFid)
VENDACONS_NAME(btnSairFid)
VENDACONS_NAME(btnCimaFid)
VENDACONS_NAME(btnBaixoFid)
VENDACONS_NAME(pnlQrCode)
VENDACONS_NAME(lblMsgQrCode)
VENDACONS_NAME(btnCancelaQrCode)
VENDACONS_NAME(edtQrCode)
VENDACONS_NAME(panErroImpressora)
VENDACONS_NAME(lblErroImpressora)

// Function keys.
VENDACONS_NAME(spbQtde)
VENDACONS_NAME(spbQtde2)
VENDACONS_NAME(spbConsultaPreco)
VENDACONS_NAME(spbPesquisa)
VENDACONS_NAME(spbProdCombinado)
VENDACONS_NAME(spbObs)
VENDACONS_NAME(spbCancProd)
VENDACONS_NAME(spbCancelaCupom)
VENDACONS_NAME(spbFuncoes)
VENDACONS_NAME(spbIncluiCpf)
VENDACONS_NAME(spbCompraCred)
VENDACONS_NAME(spbCartao)
VENDACONS_NAME(spbParaViagem)
VENDACONS_NAME(spbImprimeMensagem)
VENDACONS_NAME(spbMenuMesa)
VENDACONS_NAME(spbComanda)
VENDACONS_NAME(spbDelivery)
VENDACONS_NAME(spbNrPessoas)
VENDACONS_NAME(spbCadCons)
VENDACONS_NAME(spbConsultaPromo)
VENDACONS_NAME(spbCashback)
VENDACONS_NAME(spbCashbackUDS)
VENDACONS_NAME(spbVendaManu)
VENDACONS_NAME(spbLerQrCode)
VENDACONS_NAME(spbReceb)
VENDACONS_NAME(spbVender)
VENDACONS_NAME(lblSair)

// Footer.
VENDACONS_NAME(lblFilialCaixa)
VENDACONS_NAME(lblEmpresa)
VENDACONS_NAME(lblCodTela)
VENDACONS_NAME(lblRodape)
VENDACONS_NAME(lblTicketMedio)
VENDACONS_NAME(lblValTicketMedio)
VENDACONS_NAME(lblQuantCupom)
VENDACONS_NAME(lblValQuantCupom)

// Timers.
VENDACONS_NAME(timDataHora)
VENDACONS_NAME(timImpressoraBackup)
VENDACONS_NAME(timAtuTicketMed)
VENDACONS_NAME(timComandaAuto)
VENDACONS_NAME(panMsgComanda)
VENDACONS_NAME(lblMsgComanda)

// The buyer panel, made on the form the first time the buyer's CPF is asked for.
VENDACONS_NAME(panCPFPinPad)
VENDACONS_NAME(lblCPFPinPad)
VENDACONS_NAME(btnCPFPinPad)
VENDACONS_NAME(btnCPFSistema)
VENDACONS_NAME(btnSairCPF)

// Looked up by handlers that do without them: this form builds none of the three.
VENDACONS_NAME(pnlBotoes)
VENDACONS_NAME(spbCancelaTroca)

// The grid's buttons by number: groupButtons[n - 1] is tcbGrupo<nn>, productButtons[n - 1]
// tcbBalcao<nn>. A configuration row names its button by the number after the prefix.
inline constexpr QLatin1StringView groupButtonPrefix{"tcbGrupo"};
inline constexpr QLatin1StringView productButtonPrefix{"tcbBalcao"};
inline constexpr QLatin1StringView groupButtons[] = {
    tcbGrupo01, tcbGrupo02, tcbGrupo03, tcbGrupo04, tcbGrupo05, tcbGrupo06,
    tcbGrupo07, tcbGrupo08, tcbGrupo09, tcbGrupo10, tcbGrupo11, tcbGrupo12,
};
inline constexpr QLatin1StringView productButtons[] = {
    tcbBalcao01, tcbBalcao02, tcbBalcao03, tcbBalcao04, tcbBalcao05, tcbBalcao06,
    tcbBalcao07, tcbBalcao08, tcbBalcao09, tcbBalcao10, tcbBalcao11, tcbBalcao12,
    tcbBalcao13, tcbBalcao14, tcbBalcao15, tcbBalcao16, tcbBalcao17, tcbBalcao18,
    tcbBalcao19, tcbBalcao20, tcbBalcao21, tcbBalcao22, tcbBalcao23, tcbBalcao24,
    tcbBalcao25, tcbBalcao26, tcbBalcao27, tcbBalcao28, tcbBalcao29, tcbBalcao30,
    tcbBalcao31, tcbBalcao32, tcbBalcao33, tcbBalcao34, tcbBalcao35, tcbBalcao36,
};

// Every control the sale form builds, the form itself first, with its kind.
inline constexpr NamedControl built[] = {
    {frmVendaCons, ControlKind::Form},
    {imgLogo, ControlKind::Label},
    {imgLogoPadrao, ControlKind::Label},
    {imgMovrela, ControlKind::Label},
    {imgLumbera, ControlKind::Label},
    {ImgQubNFCe, ControlKind::Label},
    {lblMenu, ControlKind::Label},
    {lblMensagemCaixa, ControlKind::Label},
    {lblDataHora, ControlKind::Label},
    {lblBuffer, ControlKind::Label},
    {lblBufferQRCODE, ControlKind::Label},
    {lblProduto, ControlKind::Label},
    {lblNrPessoas, ControlKind::Label},
    {lblNrPes, ControlKind::Label},
    {lblQtde2, ControlKind::Label},
    {lblQtdeTotal2, ControlKind::Label},
    {lblValor2, ControlKind::Label},
    {lblTotVenda, ControlKind::Label},
    {lblNmCons, ControlKind::Label},
    {lblCracha, ControlKind::Label},
    {panFundoBandeja, ControlKind::Panel},
    {panCupom, ControlKind::Panel},
    {dbgCupom, ControlKind::Grid},
    {spbGridAcima, ControlKind::Button},
    {spbGridBaixo, ControlKind::Button},
    {stPosicao, ControlKind::Label},
    {spbPosAbaixo, ControlKind::Button},
    {spbPosAcima, ControlKind::Button},
    {bdsPrecoFundo, ControlKind::Panel},
    {lblValor, ControlKind::Label},
    {lblVrTotal, ControlKind::Label},
    {lblQtde, ControlKind::Label},
    {lblQtdeTotal, ControlKind::Label},
    {lblSerieD, ControlKind::Label},
    {lblValSaldDisp, ControlKind::Label},
    {tcbGrupo01, ControlKind::Button},
    {tcbGrupo02, ControlKind::Button},
    {tcbGrupo03, ControlKind::Button},
    {tcbGrupo04, ControlKind::Button},
    {tcbGrupo05, ControlKind::Button},
    {tcbGrupo06, ControlKind::Button},
    {tcbGrupo07, ControlKind::Button},
    {tcbGrupo08, ControlKind::Button},
    {tcbGrupo09, ControlKind::Button},
    {tcbGrupo10, ControlKind::Button},
    {tcbGrupo11, ControlKind::Button},
    {tcbGrupo12, ControlKind::Button},
    {panBalcao, ControlKind::Panel},
    {tcbBalcao01, ControlKind::Button},
    {tcbBalcao02, ControlKind::Button},
    {tcbBalcao03, ControlKind::Button},
    {tcbBalcao04, ControlKind::Button},
    {tcbBalcao05, ControlKind::Button},
    {tcbBalcao06, ControlKind::Button},
    {tcbBalcao07, ControlKind::Button},
    {tcbBalcao08, ControlKind::Button},
    {tcbBalcao09, ControlKind::Button},
    {tcbBalcao10, ControlKind::Button},
    {tcbBalcao11, ControlKind::Button},
    {tcbBalcao12, ControlKind::Button},
    {tcbBalcao13, ControlKind::Button},
    {tcbBalcao14, ControlKind::Button},
    {tcbBalcao15, ControlKind::Button},
    {tcbBalcao16, ControlKind::Button},
    {tcbBalcao17, ControlKind::Button},
    {tcbBalcao18, ControlKind::Button},
    {tcbBalcao19, ControlKind::Button},
    {tcbBalcao20, ControlKind::Button},
    {tcbBalcao21, ControlKind::Button},
    {tcbBalcao22, ControlKind::Button},
    {tcbBalcao23, ControlKind::Button},
    {tcbBalcao24, ControlKind::Button},
    {tcbBalcao25, ControlKind::Button},
    {tcbBalcao26, ControlKind::Button},
    {tcbBalcao27, ControlKind::Button},
    {tcbBalcao28, ControlKind::Button},
    {tcbBalcao29, ControlKind::Button},
    {tcbBalcao30, ControlKind::Button},
    {tcbBalcao31, ControlKind::Button},
    {tcbBalcao32, ControlKind::Button},
    {tcbBalcao33, ControlKind::Button},
    {tcbBalcao34, ControlKind::Button},
    {tcbBalcao35, ControlKind::Button},
    {tcbBalcao36, ControlKind::Button},
    {panEscolheVenda, ControlKind::Panel},
    {spbVendaDeb, ControlKind::Button},
    {spbCredPessoal, ControlKind::Button},
    {spbVendaVis, ControlKind::Button},
    {spbCancEscolhe, ControlKind::Button},
    {sbtFidelidade, ControlKind::Button},
    {pnlListaBeneficio, ControlKind::Panel},
    {dbgBeneficio, ControlKind::Grid},
    {lblListaBeneficio, ControlKind::Label},
    {btnEnterFid, ControlKind::Button},
    {btnSairFid, ControlKind::Button},
    {btnCimaFid, ControlKind::Button},
    {btnBaixoFid, ControlKind::Button},
    {pnlQrCode, ControlKind::Panel},
    {lblMsgQrCode, ControlKind::Label},
    {btnCancelaQrCode, ControlKind::Button},
    {edtQrCode, ControlKind::Edit},
    {panErroImpressora, ControlKind::Panel},
    {lblErroImpressora, ControlKind::Label},
    {spbQtde, ControlKind::Button},
    {spbQtde2, ControlKind::Button},
    {spbConsultaPreco, ControlKind::Button},
    {spbPesquisa, ControlKind::Button},
    {spbProdCombinado, ControlKind::Button},
    {spbObs, ControlKind::Button},
    {spbCancProd, ControlKind::Button},
    {spbCancelaCupom, ControlKind::Button},
    {spbFuncoes, ControlKind::Button},
    {spbIncluiCpf, ControlKind::Button},
    {spbCompraCred, ControlKind::Button},
    {spbCartao, ControlKind::Button},
    {spbParaViagem, ControlKind::Button},
    {spbImprimeMensagem, ControlKind::Button},
    {spbMenuMesa, ControlKind::Button},
    {spbComanda, ControlKind::Button},
    {spbDelivery, ControlKind::Button},
    {spbNrPessoas, ControlKind::Button},
    {spbCadCons, ControlKind::Button},
    {spbConsultaPromo, ControlKind::Button},
    {spbCashback, ControlKind::Button},
    {spbCashbackUDS, ControlKind::Button},
    {spbVendaManu, ControlKind::Button},
    {spbLerQrCode, ControlKind::Button},
    {spbReceb, ControlKind::Button},
    {spbVender, ControlKind::Button},
    {lblSair, ControlKind::Button},
    {lblFilialCaixa, ControlKind::Label},
    {lblEmpresa, ControlKind::Label},
    {lblCodTela, ControlKind::Label},
    {lblRodape, ControlKind::Label},
    {lblTicketMedio, ControlKind::Label},
    {lblValTicketMedio, ControlKind::Label},
    {lblQuantCupom, ControlKind::Label},
    {lblValQuantCupom, ControlKind::Label},
    {timDataHora, ControlKind::Timer},
    {timImpressoraBackup, ControlKind::Timer},
    {timAtuTicketMed, ControlKind::Timer},
    {timComandaAuto, ControlKind::Timer},
    {panMsgComanda, ControlKind::Panel},
    {lblMsgComanda, ControlKind::Label},
};

// The buyer panel's controls, on the form once the panel has been opened.
inline constexpr NamedControl buyerPanel[] = {
    {panCPFPinPad, ControlKind::Panel},
    {lblCPFPinPad, ControlKind::Label},
    {btnCPFPinPad, ControlKind::Button},
    {btnCPFSistema, ControlKind::Button},
    {btnSairCPF, ControlKind::Button},
};

// Names handlers look up and do without when the form has none of them.
inline constexpr NamedControl optional[] = {
    {pnlBotoes, ControlKind::Panel},
    {spbCancelaTroca, ControlKind::Button},
};

} // namespace FormName

// The customer display (frmVisualiza). Some names repeat the sale form's: they are another
// form's controls.
namespace DisplayName {

VENDACONS_NAME(frmVisualiza)
VENDACONS_NAME(blsFundo)
VENDACONS_NAME(imgLogo)
VENDACONS_NAME(Image1)
VENDACONS_NAME(Image2)
VENDACONS_NAME(Image3)
VENDACONS_NAME(bldPeso)
VENDACONS_NAME(lblBalanca)
VENDACONS_NAME(lblPeso)
VENDACONS_NAME(BlendedShape2)
VENDACONS_NAME(lblComanda)
VENDACONS_NAME(panFundoBandeja)
VENDACONS_NAME(panCupom)
VENDACONS_NAME(dbgVisualiza)
VENDACONS_NAME(BlendedShape3)
VENDACONS_NAME(lblTotal)
VENDACONS_NAME(lblVrTotal)

// The three pictures of the shop, Image1 to Image3 in order.
inline constexpr QLatin1StringView images[] = {Image1, Image2, Image3};

inline constexpr NamedControl built[] = {
    {frmVisualiza, ControlKind::Form},
    {blsFundo, ControlKind::Panel},
    {imgLogo, ControlKind::Label},
    {Image1, ControlKind::Label},
    {Image2, ControlKind::Label},
    {Image3, ControlKind::Label},
    {bldPeso, ControlKind::Panel},
    {lblBalanca, ControlKind::Label},
    {lblPeso, ControlKind::Label},
    {BlendedShape2, ControlKind::Panel},
    {lblComanda, ControlKind::Label},
    {panFundoBandeja, ControlKind::Panel},
    {panCupom, ControlKind::Panel},
    {dbgVisualiza, ControlKind::Grid},
    {BlendedShape3, ControlKind::Panel},
    {lblTotal, ControlKind::Label},
    {lblVrTotal, ControlKind::Label},
};

} // namespace DisplayName

#undef VENDACONS_NAME
