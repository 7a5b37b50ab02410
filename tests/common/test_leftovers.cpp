#include "test_leftovers.h"

#include <windows.h>
#include <wincrypt.h>


#include "test_debug_log.h"
#include "test_files.h"
#include "test_registry.h"
#include "win32/crypt_owners.h"
#include "win32/win_owners.h"

namespace {

const wchar_t kTestKeys[] = WARESEEK_TEST_KEYS;
// The robustness harness's folder in the temporary folder.
const wchar_t kRobustnessFolder[] = L"wareseek-robustness";
// The subject of the authority the TLS tests trust while they run.
const wchar_t kTestAuthority[] = L"Wareseek test authority";

void Add(std::vector<std::wstring>& done, const std::wstring& line) {
    if (!line.empty()) done.push_back(line);
}

std::wstring Expanded(const wchar_t* text) {
    wchar_t out[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsW(text, out, MAX_PATH);
    return length > 0 && length <= MAX_PATH && out[0] != L'%' ? out : L"";
}

std::wstring KeyName(HKEY root, REGSAM view) {
    std::wstring name = root == HKEY_LOCAL_MACHINE ? L"HKLM\\" : L"HKCU\\";
    name += kTestKeys;
    if (view == KEY_WOW64_32KEY) name += L" (32-bit view)";
    if (view == KEY_WOW64_64KEY) name += L" (64-bit view)";
    return name;
}

// Every key the tests made lies below one key of their own per root and view,
// which stays behind empty after a run that put everything back: removed
// without a word.
void RemoveTestKeys(HKEY root, REGSAM view, std::vector<std::wstring>& done) {
    bool empty = false;
    {
        UniqueRegKey keys;
        if (RegOpenKeyExW(root, kTestKeys, 0, KEY_ALL_ACCESS | view, keys.Receive()) != ERROR_SUCCESS) return;
        empty = RegistryKeyIsEmpty(keys.Get());
        RegDeleteTreeW(keys.Get(), nullptr);
    }
    const bool removed = RegDeleteKeyExW(root, kTestKeys, view, 0) == ERROR_SUCCESS;
    if (!empty || !removed) Add(done, KeyName(root, view) + (removed ? L" removed" : L" could not be removed"));
}

// The tests' temporary folders.
void RemoveTestFolders(const std::wstring& parent, std::vector<std::wstring>& done) {
    if (parent.empty()) return;
    WIN32_FIND_DATAW entry;
    const UniqueFind find(FindFirstFileW((parent + L"\\*").c_str(), &entry));
    if (!find) return;
    std::vector<std::wstring> found;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (IsTempFolderName(entry.cFileName) || entry.cFileName == std::wstring(kRobustnessFolder))) {
            found.push_back(parent + L"\\" + entry.cFileName);
        }
    } while (FindNextFileW(find.Get(), &entry));
    for (const std::wstring& folder : found) {
        DeleteTree(folder);
        Add(done, folder + (FileExists(folder) ? L" could not be removed" : L" removed"));
    }
}

// The test authority itself: named exactly so (the search matches any name
// that holds the text) and issued by itself.
bool IsTestAuthority(PCCERT_CONTEXT certificate) {
    wchar_t subject[256] = {};
    CertNameToStrW(X509_ASN_ENCODING, &certificate->pCertInfo->Subject, CERT_X500_NAME_STR, subject, 256);
    return std::wstring(subject) == std::wstring(L"CN=") + kTestAuthority &&
           CertCompareCertificateName(X509_ASN_ENCODING, &certificate->pCertInfo->Subject,
                                      &certificate->pCertInfo->Issuer);
}

void RemoveTestAuthority(std::vector<std::wstring>& done) {
    const UniqueCertStore store(CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                              CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG, L"Root"));
    if (!store) return;
    size_t removed = 0;
    size_t kept = 0;
    PCCERT_CONTEXT found = nullptr;
    while ((found = CertFindCertificateInStore(store.Get(), X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_STR, kTestAuthority,
                                               found)) != nullptr) {
        if (!IsTestAuthority(found)) continue;
        // Deleting frees the duplicate, not the context the search goes on from.
        CertDeleteCertificateFromStore(CertDuplicateCertificateContext(found)) ? ++removed : ++kept;
    }
    if (removed) CertControlStore(store.Get(), 0, CERT_STORE_CTRL_COMMIT, nullptr);
    if (removed) Add(done, L"the test authority removed from the machine's Root store");
    if (kept) Add(done, L"the test authority is still in the machine's Root store: run elevated to remove it");
}

}  // namespace

std::vector<std::wstring> RemoveLeftoversOfEarlierRuns() {
    std::vector<std::wstring> done;
    Add(done, RestoreDebugLogLeftByAKilledRun());  // before its note goes with the test keys
    RemoveTestKeys(HKEY_CURRENT_USER, 0, done);
    RemoveTestKeys(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, done);
    const bool wow64 = RunningUnderWow64();
    if (wow64) RemoveTestKeys(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, done);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring tempFolder = temp;
    if (!tempFolder.empty() && tempFolder.back() == L'\\') tempFolder.pop_back();
    RemoveTestFolders(tempFolder, done);
    RemoveTestFolders(Expanded(L"%ProgramFiles%"), done);
    if (wow64) {
        RemoveTestFolders(Expanded(L"%ProgramW6432%"), done);
        RemoveTestFolders(Expanded(L"%SystemRoot%\\Sysnative"), done);
    }
    RemoveTestAuthority(done);
    return done;
}
