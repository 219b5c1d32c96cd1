#pragma once

#include <vendacons_export.h>

#include <QString>

// The two folders the card program of the CHART card system and the till exchange files in.
// Their Windows names are fixed ("C:\Teftx\" for requests, "C:\Tefrx\" for the receipt and the
// answer); here the drive is the site folder, so a till and its card program share them and
// every test has its own.
namespace ChartFiles VENDACONS_EXPORT {

// A Windows path with a drive ("C:\Teftx\") as a folder of the site.
QString resolve(const QString &windowsPath);
QString requestFolder();
QString answerFolder();

inline constexpr const char *RequestTemp = "tefchart.tmp";
inline constexpr const char *Request = "tefchart.ini";
inline constexpr const char *Receipt = "cupom.tef";
inline constexpr const char *Approved = "tefchart.ok";
inline constexpr const char *Cancelled = "tefchart.can";

} // namespace ChartFiles
