#pragma once
// The host's command line: what to load, what to send and how to show it.
#include <string>

struct HostOptions {
    std::wstring modulePath;  // empty: wareseek.dll beside the host
    std::wstring cmd = L"QUERY";
    std::wstring param = L"0";
    std::wstring id = L"1";
    std::wstring version = L"1.0";
    std::wstring rawRequest;  // sent verbatim when useRawRequest is set
    bool useRawRequest = false;
    unsigned long repeat = 1;
    bool raw = false;
    bool help = false;
};

// Reads argv[1..]; on a bad command line returns false with a one-line error.
bool ParseOptions(int argc, const wchar_t* const* argv, HostOptions& options, std::wstring& error);

// The request text to send: the --request text as given, or a "Request"
// element built from the other options with its attribute values escaped.
std::wstring RequestText(const HostOptions& options);

std::wstring UsageText();
