#pragma once
// A download checked against the vendor's key. Each refresh fetches the
// catalogue and its detached signature into work files of its own, reads
// the catalogue's bytes once, checks the signature and the catalogue's
// claims (serial and file) against those bytes, and writes those very bytes
// over the catalogue in one atomic replace, so what was checked is what is
// used. The claims are compared with the catalogue in use, and the bytes put
// in place, while no other refresh of the file may place its own. A refused
// download never touches the catalogue in use.
#include <cstdint>

#include "update/download_plan.h"
#include "win32/deadline.h"

// True when the catalogue in use is now the downloaded one. Both requests to
// the download module carry what is left of deadline.
bool DownloadSigned(const CatalogueDownloadPlan& plan, uint32_t hostParam, const Deadline& deadline);
