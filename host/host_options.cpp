#include "host_options.h"

#include <cerrno>
#include <cwchar>

#include "xml/xml_escape.h"

namespace {

bool ParseRepeat(const std::wstring& text, unsigned long& repeat) {
    if (text.empty() || text[0] < L'0' || text[0] > L'9') return false;
    wchar_t* end = nullptr;
    errno = 0;
    repeat = wcstoul(text.c_str(), &end, 10);
    return errno == 0 && *end == L'\0' && repeat >= 1;
}

// The string field an option with a value fills, or null for other options.
std::wstring* TextField(const std::wstring& name, HostOptions& options) {
    if (name == L"--module") return &options.modulePath;
    if (name == L"--cmd") return &options.cmd;
    if (name == L"--param") return &options.param;
    if (name == L"--id") return &options.id;
    if (name == L"--version") return &options.version;
    if (name == L"--request") return &options.rawRequest;
    if (name == L"--catalogue") return &options.cataloguePath;
    if (name == L"--check") return &options.checkPath;
    if (name == L"--verify") return &options.verifyPath;
    if (name == L"--key") return &options.keyPath;
    return nullptr;
}

// The mode an option chooses, kRequest for options that choose none.
HostMode ModeOf(const std::wstring& name) {
    if (name == L"--explain") return HostMode::kExplain;
    if (name == L"--check") return HostMode::kCheck;
    if (name == L"--scan") return HostMode::kScan;
    if (name == L"--verify") return HostMode::kVerify;
    return HostMode::kRequest;
}

bool SetMode(const std::wstring& name, HostOptions& options, std::wstring& error) {
    const HostMode mode = ModeOf(name);
    if (mode == HostMode::kRequest) return true;
    if (options.mode != HostMode::kRequest && options.mode != mode) {
        error = L"--explain, --check, --scan and --verify cannot be combined";
        return false;
    }
    options.mode = mode;
    return true;
}

// Options that only make sense with a mode they belong to.
bool CheckCombination(const HostOptions& options, std::wstring& error) {
    if ((options.json || !options.cataloguePath.empty()) && options.mode != HostMode::kExplain) {
        error = L"--json and --catalogue go with --explain";
        return false;
    }
    if (!options.keyPath.empty() && options.mode != HostMode::kVerify) {
        error = L"--key goes with --verify";
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(int argc, const wchar_t* const* argv, HostOptions& options, std::wstring& error) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring name = argv[i];
        if (name == L"--help" || name == L"-h" || name == L"/?") {
            options.help = true;
            continue;
        }
        if (!SetMode(name, options, error)) return false;
        if (name == L"--raw" || name == L"--json" || name == L"--explain" || name == L"--scan") {
            options.raw |= name == L"--raw";
            options.json |= name == L"--json";
            continue;
        }
        std::wstring* field = TextField(name, options);
        if (!field && name != L"--repeat") {
            error = L"unknown option '" + name + L"' (see --help)";
            return false;
        }
        if (i + 1 >= argc) {
            error = L"option " + name + L" needs a value";
            return false;
        }
        const std::wstring value = argv[++i];
        if (field) {
            *field = value;
            if (name == L"--request") options.useRawRequest = true;
        } else if (!ParseRepeat(value, options.repeat)) {
            error = L"--repeat needs a whole number of at least 1, not '" + value + L"'";
            return false;
        }
    }
    return CheckCombination(options, error);
}

std::wstring RequestText(const HostOptions& options) {
    if (options.useRawRequest) return options.rawRequest;
    return L"<Request id=\"" + XmlEscape(options.id) + L"\" cmd=\"" + XmlEscape(options.cmd) + L"\" Param=\"" +
           XmlEscape(options.param) + L"\" version=\"" + XmlEscape(options.version) + L"\"/>";
}

std::wstring UsageText() {
    return L"Usage: wareseek-host [options]\r\n"
           L"Loads the Wareseek module, sends it requests and shows what it answers.\r\n"
           L"\r\n"
           L"  --module PATH    module to load (default: wareseek.dll beside this program)\r\n"
           L"  --cmd TEXT       request command (default QUERY)\r\n"
           L"  --param TEXT     request Param; bit 0 set downloads a fresh catalogue first (default 0)\r\n"
           L"  --id TEXT        request id (default 1)\r\n"
           L"  --version TEXT   request version (default 1.0)\r\n"
           L"  --request XML    send this text verbatim instead of building a request\r\n"
           L"  --repeat N       send the request N times to the same object (default 1)\r\n"
           L"  --raw            also print the raw response and report texts\r\n"
           L"  --help           show this text\r\n"
           L"\r\n"
           L"Tools for catalogue authors:\r\n"
           L"  --explain        show, product by product, what each detection method read\r\n"
           L"                   and which one decided (the module's catalogue, or --catalogue FILE)\r\n"
           L"  --json           with --explain: the same as JSON\r\n"
           L"  --check FILE     report what the module would read differently from what\r\n"
           L"                   the catalogue FILE means; exit 0 clean, 1 findings, 2 unreadable\r\n"
           L"  --scan           print a draft catalogue of the programs installed here\r\n"
           L"  --verify FILE    check FILE against its signature FILE.sig with the public key\r\n"
           L"                   beside the module (ProductCfg\\catalogue-key.pem) or --key PEM;\r\n"
           L"                   exit 0 valid, 1 not valid, 2 a file cannot be read\r\n"
           L"\r\n"
           L"Exit codes: 0 done, 1 bad command line, 2 module (--explain: catalogue) not loadable,\r\n"
           L"3 no PIQueryInterface export, 4 plug-in number refused, 5 request not XML,\r\n"
           L"6 no installed-programs list readable (--scan). --check and --verify have their own, above.\r\n";
}
