#pragma once
// How many more bytes this process may allocate and use without failing or being
// killed: the least of what the system has free (memory and swap), what the
// address-space and data limits leave, and what each memory cgroup above the
// process leaves. A cgroup's limit is never seen as a failed allocation: past it
// the process is simply killed, so a large allocation must be weighed first.
#include <QString>
#include <QtGlobal>

namespace Headroom {

qint64 Bytes();

// Reads /proc and /sys/fs/cgroup under root instead of "/": the seam through which
// tests set a small limit. An empty root goes back to "/".
void SetRootForTesting(const QString &root);

} // namespace Headroom
