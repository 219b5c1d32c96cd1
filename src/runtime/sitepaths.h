#pragma once

#include <vendacons_export.h>

#include <QString>

// The site folder is the till's own folder: parameter file, local cadastre
// copies, the SQLite base and the daily logs live below it. It is VENDACONS_HOME when set,
// else the folder of the running executable.
namespace SitePaths VENDACONS_EXPORT {

QString home();
// Overrides the site folder for this process (tests use a fresh folder each); empty restores
// the default.
void setHome(const QString &folder);

// Maps a path written the Windows way ("Dados\Cadastros\Produto.cds") onto the site: slashes
// turned around, each name matched against what is on disk without regard to case (so "Dados",
// "DADOS" and "dados" are one folder). Names not on disk yet keep the spelling given. Absolute
// paths are mapped the same way from the root. A relative path, such as the site's own folder
// ".\" a site keeps in its parameters, is taken from the site folder, so that a copied or moved
// site keeps its files to itself.
QString resolve(const QString &windowsPath);

} // namespace SitePaths
