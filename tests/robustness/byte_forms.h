#pragma once
// Turns generated XML text into the bytes of a file: an encoding, with or
// without a byte order mark, a declaration that may lie, and byte-level damage.
#include <string>

#include "case_rng.h"

// UTF-8 that keeps unpaired surrogates as three-byte sequences (as a careless
// converter writes them) instead of replacing them.
std::string LooseUtf8(const std::wstring& text);
std::string Utf16Le(const std::wstring& text);
std::string Utf16Be(const std::wstring& text);

// The body (everything after the declaration) in a random encoding form;
// honest tells whether the bytes say truthfully how they are encoded.
std::string EncodeDocument(CaseRng& rng, const std::wstring& body, bool& honest);
// Truncation, bit flips, inserted or repeated bytes.
void DamageBytes(CaseRng& rng, std::string& bytes);
