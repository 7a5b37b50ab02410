#pragma once
// Every finding of a catalogue: the file's own (not read at all, or nothing in
// it the module lists), then each product's.
#include "check/catalogue_reading.h"
#include "check/findings.h"

Findings CheckCatalogue(const CatalogueEntries& catalogue);
