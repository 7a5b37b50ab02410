#pragma once
// REG_EXPAND_SZ registry texts hold environment references ("%ProgramFiles%\App")
// that the program that wrote them expands when it reads them back.

// Expands text into out, a MAX_PATH buffer, as the program that wrote the
// value reads it. writtenBy64Bit: the value comes from the 64-bit registry view
// and this 32-bit process runs on 64-bit Windows, where its own environment
// names the 32-bit Program Files folders; a 64-bit program's %ProgramFiles% and
// %CommonProgramFiles% are the 64-bit ones. Otherwise ExpandEnvironmentStringsW
// as it is. False (out empty) when the expansion does not fit with its
// terminator.
bool ExpandValueText(const wchar_t* text, bool writtenBy64Bit, wchar_t* out);
