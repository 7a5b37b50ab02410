#pragma once
// The check made before any document is parsed: nothing but white space,
// processing instructions and comments may stand before the first element,
// so no DOCTYPE ever reaches a parser that might act on it.
#include <string>
#include <string_view>

// True when the prolog of text (UTF-16) holds a DOCTYPE or anything else that
// may not stand before the first element; what comes later is the parser's.
bool TextPrologRefused(std::wstring_view text);

// The same for a file's bytes in any encoding the parser may detect: UTF-8,
// UTF-16 and UTF-32 with or without a byte-order mark, EBCDIC, and the
// single-byte and multi-byte code pages that keep ASCII's characters.
bool BytesPrologRefused(const std::string& bytes);
