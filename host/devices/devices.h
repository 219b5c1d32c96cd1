#pragma once

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <QString>
#include <QStringList>

// The simulated peripherals of the till, each kept in a small text file of the site that a
// person can read or edit while the program runs:
//   Dados/Balanca.txt  the weight on the scale in kilograms ("0,450"); without the file the
//                      scale asks for the weight in a dialog
//   Dados/Gaveta.txt   "ABERTA" keeps the drawer open; anything else, or no file, is closed
//   Dados/Display.txt  what the customer pole display shows (written by the host)
namespace Devices {

// The number in the scale file, read with a decimal comma or point; false when the file is
// missing, empty or not a number.
bool readScaleFile(const QString &path, double *weight);
ScaleAnswer BuscaPeso(const ScaleRequest &request);

bool drawerOpen();
DrawerStateAnswer Estado_Gaveta_Imp(const SchemeRequest &request); // "00" closed, "01" open
DrawerStatusAnswer VerificaStatusGaveta(const DrawerRequest &request); // 1 open
HostResult AbreGaveta(const DrawerRequest &request);

// The customer pole display: two lines of `width` characters, kept in memory and written to
// Dados/Display.txt after every change.
class PoleDisplay
{
public:
    static PoleDisplay &instance();

    void clear();
    // Writes `text` from `column` (1-based) of `line` (1 or 2), cut at the display's width.
    void write(const QString &text, int line, int column);
    QStringList lines() const { return m_lines; }
    void setWidth(int width);

private:
    PoleDisplay();
    void save() const;

    int m_width = 20;
    QStringList m_lines;
};

HostResult LimpaDisplay();
HostResult DisplayEnviaTexto(const DisplayTextRequest &request);

} // namespace Devices
