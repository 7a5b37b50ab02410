#pragma once
// Process exit codes of wareseek-host.exe; each failure kind has its own.
enum HostExitCode {
    kExitOk = 0,
    kExitUsage = 1,       // bad command line
    kExitLoadFailed = 2,  // the module file (--explain: its catalogue) could not be loaded
    kExitNoExport = 3,    // the module has no PIQueryInterface export
    kExitRefused = 4,     // PIQueryInterface refused the plug-in number
    kExitNotXml = 5,      // HandleRequest answered 1: the request is not XML
    kExitScanFailed = 6,  // --scan: no installed-programs list could be read
};
