#pragma once
// The program's own data files as installed beside it (share/tavi below the
// prefix that holds bin/tavi), found from the program's place so that the
// install can be moved.
#include <QString>

namespace InstalledData {

// The installed copy of name, or empty when there is none (as in the build tree).
QString File(const QString &name);

} // namespace InstalledData
