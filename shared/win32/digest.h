#pragma once
// Digests through CryptoAPI, shared by the download module (MD5 of a
// download) and the host (name-based GUIDs from SHA-1).
#include <windows.h>
#include <wincrypt.h>

#include <cstdint>
#include <string>
#include <vector>

// The digest of bytes by algorithm (CALG_MD5, CALG_SHA1); empty when
// CryptoAPI fails.
std::vector<uint8_t> Digest(ALG_ID algorithm, const std::string& bytes);
