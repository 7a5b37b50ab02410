#pragma once
// The key of a PEM "PUBLIC KEY" block (SubjectPublicKeyInfo), as
// "openssl pkey -pubout" writes it.
#include <optional>
#include <string>

#include "signature/crypt32_functions.h"

// The DER bytes between "-----BEGIN PUBLIC KEY-----" and
// "-----END PUBLIC KEY-----"; nothing when pem holds no such block or its
// body is not base64.
std::optional<std::string> PublicKeyDer(const std::string& pem, const Crypt32Functions& crypt32);
