#pragma once
// The host's command line: what to load, what to send and how to show it.
#include <string>

// What the host does: drive the module with a request (the default), or one
// of the catalogue authors' tools.
enum class HostMode {
    kRequest,  // load the module, send requests, show the answers
    kExplain,  // show how each product of the catalogue is decided
    kCheck,    // report what the module would read differently from what a catalogue means
    kScan,     // print a draft catalogue of the programs installed here
    kVerify,   // check a catalogue against its detached signature
};

struct HostOptions {
    HostMode mode = HostMode::kRequest;
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
    bool json = false;            // --explain: machine-readable output
    std::wstring cataloguePath;  // --explain: catalogue to explain (default: the module's own)
    std::wstring checkPath;      // --check: the catalogue file to check
    std::wstring verifyPath;     // --verify: the catalogue file whose FILE.sig is checked
    std::wstring keyPath;        // --verify: the public key (default: the module's own)
};

// Reads argv[1..]; on a bad command line returns false with a one-line error.
bool ParseOptions(int argc, const wchar_t* const* argv, HostOptions& options, std::wstring& error);

// The request text to send: the --request text as given, or a "Request"
// element built from the other options with its attribute values escaped.
std::wstring RequestText(const HostOptions& options);

std::wstring UsageText();
