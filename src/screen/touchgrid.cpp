// The touch grid of groups and products: drawing the pages from the screen configuration of
// the cadastre folder, and the group buttons' clicks. The product buttons' press is order
// entry's (productbutton*.cpp).
#include "touchgrid_p.h"

#include "screenshell.h"

#include "touchbutton.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <order/orderentry.h>

#include <outside/ravuvozozod.h>

#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QPushButton>

#include <exception>
#include <optional>

namespace {

// The colour a cleared group button takes ($B09090).
const QColor clearedGroup = colorFromBgr(0xB09090);

QString field(const ClientDataSet &dataset, const char *name)
{
    return dataset.FindField(QString::fromLatin1(name)).AsString();
}

// A page number of the configuration as it is stored: plain digits.
QString pageText(int page)
{
    return QString::number(page);
}

// A number of the configuration read as an integer; empty or unreadable gives `fallback`.
qint64 number(const ClientDataSet &dataset, const char *name, qint64 fallback)
{
    bool ok = false;
    const qint64 value = field(dataset, name).trimmed().toLongLong(&ok);
    return ok ? value : fallback;
}

// The caption's words in lines no wider than `width`; a word wider than that stays whole.
QStringList wrapWords(const QString &caption, const QFontMetrics &metrics, int width)
{
    QStringList lines;
    for (const QString &word : caption.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.last() + QLatin1Char(' ') + word) <= width)
            lines.last() += QLatin1Char(' ') + word;
        else
            lines.append(word);
    }
    return lines;
}

// The grid's buttons are small and the till's font may be wider than the one the captions
// were written for: a caption that does not fit goes onto more lines and, if it must, a
// smaller size (never below 6), so that it is read whole rather than cut at both ends.
std::pair<QString, int> fitCaption(const QString &caption, int pointSize, const QSize &size)
{
    const int width = size.width() - 6;
    const int height = size.height() - 4;
    QStringList lines{caption};
    int points = pointSize;
    for (; points >= 6; --points) {
        const QFontMetrics metrics(QFont(QStringLiteral("Arial"), points, QFont::Bold));
        lines = wrapWords(caption, metrics, width);
        bool fits = int(lines.size()) * metrics.lineSpacing() <= height;
        for (const QString &line : lines)
            fits = fits && metrics.horizontalAdvance(line) <= width;
        if (fits)
            return {lines.join(QLatin1Char('\n')), points};
    }
    return {lines.join(QLatin1Char('\n')), 6};
}

// Paints one button from its configuration row and shows it.
void drawButton(QPushButton *button, const ClientDataSet &row, const QString &caption, int pointSize)
{
    const auto [text, points] = caption.isEmpty() ? std::pair<QString, int>{caption, pointSize}
                                                  : fitCaption(caption, pointSize, button->size());
    button->setIcon(QIcon());
    button->setText(text);
    styleTouchButton(button, colorFromBgr(number(row, "NRCOLORTEXT", 0)),
                     colorFromBgr(number(row, "NRCOLORBACK", 0)), points);
    button->show();
}

int captionSize(const ClientDataSet &row)
{
    return int(number(row, "NRFONTETEXT", 8));
}

// Selects the rows whose columns hold the given texts; the filter stays on after the draw.
void filterOn(ClientDataSet &dataset, const QList<std::pair<QString, QString>> &columns)
{
    dataset.SetFilter([columns](const ClientDataSet &d) {
        for (const auto &[name, value] : columns) {
            if (d.FindField(name).AsString() != value)
                return false;
        }
        return true;
    });
    dataset.SetFiltered(true);
}

} // namespace

void styleTouchButton(QPushButton *button, const QColor &text, const QColor &back, int pointSize)
{
    button->setStyleSheet(QStringLiteral(
        "QPushButton { color: %1; background-color: %2; border: none; border-radius: 6px;"
        " font-family: Arial; font-weight: bold; font-size: %3pt; padding: 0px; }"
        "QPushButton:pressed { color: palette(window); background-color: red; }"
        "QPushButton:disabled { color: black; background-color: #CCCCCC; }")
        .arg(text.name(), back.name()).arg(pointSize));
}

void ScreenShell::LimpaMenuGrupo()
{
    TouchGrid(m_context).LimpaMenuGrupo();
}

void ScreenShell::LimpaMenuProduto()
{
    TouchGrid(m_context).LimpaMenuProduto();
}

void ScreenShell::MontaConfigGrupo(bool First)
{
    TouchGrid(m_context).MontaConfigGrupo(First);
}

// First has no effect on the product page.
void ScreenShell::MontaConfigProduto(bool, const QString &Group)
{
    TouchGrid(m_context).MontaConfigProduto(Group);
}

void ScreenShell::tcbGrupo01Click(QObject *Sender)
{
    TouchGrid(m_context).tcbGrupo01Click(Sender);
}

// The product buttons' press is order entry's.
void ScreenShell::tcbBalcao01Click(QObject *Sender)
{
    m_context.order().tcbBalcao01Click(Sender);
}

void TouchGrid::LimpaMenuGrupo()
{
    for (QLatin1StringView name : FormName::groupButtons) {
        if (auto *button = m_context.widget<QPushButton>(name)) {
            button->setText(QString());
            styleTouchButton(button, Qt::black, clearedGroup, 8);
            button->hide();
        }
    }
}

void TouchGrid::LimpaMenuProduto()
{
    for (QLatin1StringView name : FormName::productButtons) {
        if (auto *button = m_context.widget<QPushButton>(name)) {
            button->setText(QString());
            styleTouchButton(button, Qt::black, Qt::lightGray, 8);
            button->hide();
        }
    }
}

void TouchGrid::MontaConfigGrupo(bool First)
{
    LimpaMenuGrupo();
    ScreenNavigation &screen = m_context.state().screen;
    if (First)
        screen.inPaginaGrupo = 1;
    ClientDataSet &groups = m_context.data().cdsConfigGrupo;
    groups.SetFiltered(false);
    if (!groups.Active() || groups.IsEmpty()) {
        m_context.setCaption(FormName::lblMenu, QString());
        return;
    }
    filterOn(groups, {{QStringLiteral("NRPGCONFTELA"), pageText(screen.inPaginaGrupo)}});
    const QString firstType = field(groups, "IDTPBUTTON");
    const bool pageButton = firstType.startsWith(QLatin1Char('7')) || firstType.startsWith(QLatin1Char('8'));
    m_context.setCaption(FormName::lblMenu, pageButton ? QString() : field(groups, "DSBUTTON"));
    drawGroupPage(groups);
}

void TouchGrid::drawGroupPage(ClientDataSet &groups)
{
    for (groups.First(); !groups.Eof(); groups.Next()) {
        auto *button = m_context.widget<QPushButton>(FormName::groupButtonPrefix + field(groups, "NRBUTTON"));
        if (!button)
            continue;
        const QString type = field(groups, "IDTPBUTTON");
        if (type == QLatin1String("7"))
            drawButton(button, groups, QStringLiteral(">>"), 13);
        else if (type == QLatin1String("8"))
            drawButton(button, groups, QStringLiteral("<<"), 13);
        else
            drawButton(button, groups, field(groups, "DSBUTTON"), captionSize(groups));
    }
}

// The number of product pages of the group on this group page; none when the page-count
// table has no usable row (the page is then not bounded).
static std::optional<int> productPages(ClientDataSet &pages, const QString &group, int groupPage)
{
    if (!pages.Active())
        return std::nullopt;
    filterOn(pages, {{QStringLiteral("NRBUTTONAUX"), group}, {QStringLiteral("NRPGCONFTAUX"), pageText(groupPage)}});
    if (pages.IsEmpty())
        return std::nullopt;
    const qint64 count = number(pages, "QTDEPG", 0);
    // A count below one bounds nothing: page 1 is always drawn.
    return count >= 1 ? std::optional<int>(int(count)) : std::nullopt;
}

// A failure is shown and leaves the grid as far as it was drawn.
void TouchGrid::MontaConfigProduto(const QString &Group)
{
    try {
        ScreenNavigation &screen = m_context.state().screen;
        const std::optional<int> pages = productPages(m_context.data().cdsMaxProduto, Group, screen.inPaginaGrupo);
        if (pages && *pages < screen.inPaginaProduto) {
            screen.inPaginaProduto = *pages;
            return;
        }
        LimpaMenuProduto();
        drawProductPage(Group);
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), 3);
    }
}

void TouchGrid::drawProductPage(const QString &Group)
{
    const ScreenNavigation &screen = m_context.state().screen;
    ClientDataSet &products = m_context.data().cdsConfigProd;
    if (!products.Active())
        return;
    filterOn(products, {{QStringLiteral("NRPGCONFTELA"), pageText(screen.inPaginaProduto)},
                        {QStringLiteral("NRBUTTONAUX"), Group},
                        {QStringLiteral("NRPGCONFTAUX"), pageText(screen.inPaginaGrupo)}});
    for (products.First(); !products.Eof(); products.Next()) {
        auto *button = m_context.widget<QPushButton>(FormName::productButtonPrefix + field(products, "NRBUTTON"));
        if (!button)
            continue;
        const QString type = field(products, "IDTPBUTTON");
        if (type == QLatin1String("9"))
            drawButton(button, products, QStringLiteral(">>"), 12);
        else if (type == QLatin1String("A"))
            drawButton(button, products, QStringLiteral("<<"), 12);
        else
            drawButton(button, products, field(products, "DSBUTTON"), captionSize(products));
    }
}

// The last group page: the page-count file's, or, when that file is missing or empty, the
// highest page the group table holds, so that ">>" never leads to a page that is not there.
int TouchGrid::lastGroupPage()
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &pages = data.cdsMaxGrupo;
    if (pages.Active() && !pages.IsEmpty() && !field(pages, "QTDEPG").trimmed().isEmpty())
        return int(number(pages, "QTDEPG", 0));
    ClientDataSet &groups = data.cdsConfigGrupo;
    const int current = m_context.state().screen.inPaginaGrupo;
    int last = 1;
    groups.SetFiltered(false);
    for (groups.First(); groups.Active() && !groups.Eof(); groups.Next())
        last = qMax(last, int(number(groups, "NRPGCONFTELA", 1)));
    filterOn(groups, {{QStringLiteral("NRPGCONFTELA"), pageText(current)}});
    return last;
}

void TouchGrid::tcbGrupo01Click(QObject *Sender)
{
    const QString button = Sender ? Sender->objectName().right(2) : QString();
    SaleState &state = m_context.state();
    ScreenNavigation &screen = state.screen;
    ClientDataSet &groups = m_context.data().cdsConfigGrupo;
    const Variant keys(QList<Variant>{button, pageText(screen.inPaginaGrupo)});
    if (!groups.Active()
        || !groups.Locate(QStringLiteral("NRBUTTON;NRPGCONFTELA"), keys, loCaseInsensitive))
        return;
    const QString type = field(groups, "IDTPBUTTON");
    if (type == QLatin1String("2")) {
        state.screen.stBalcaoAux1 = button;
        screen.inPaginaProduto = 1;
        m_context.setCaption(FormName::lblMenu, field(groups, "DSBUTTON"));
        MontaConfigProduto(button);
        return;
    }
    if (type == QLatin1String("7") || type == QLatin1String("8")) {
        turnGroupPage(type == QLatin1String("7") ? 1 : -1);
        return;
    }
    m_context.setCaption(FormName::lblMenu, QString());
}

// ">>" past the last page and "<<" before the first change nothing else.
void TouchGrid::turnGroupPage(int step)
{
    SaleState &state = m_context.state();
    ScreenNavigation &screen = state.screen;
    const int page = screen.inPaginaGrupo + step;
    if (step > 0) {
        const int last = lastGroupPage();
        if (page > last) {
            screen.inPaginaGrupo = qMax(1, last);
            return;
        }
    } else if (page < 1) {
        screen.inPaginaGrupo = 1;
        return;
    }
    screen.inPaginaGrupo = page;
    MontaConfigGrupo(false);
    screen.stBalcaoAux1 = QStringLiteral("01");
    screen.inPaginaProduto = 1;
    MontaConfigProduto(QStringLiteral("01"));
}
