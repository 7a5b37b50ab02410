/*
 * Contract of the download module zqdownload.dll, which Wareseek loads by full
 * path from its own folder for each catalogue download.
 *
 * DownloadPackage(0, hostValue, pluginId, request, 0, 0): a plain __cdecl C
 * function. request is an "InsideParam" document, for example
 *   <InsideParam filepath="C:\x\SMBPlugins_x86.xml" text="" MD5="" action="0"><url>http://...</url></InsideParam>
 * The call is synchronous; it returns nonzero exactly when the file named in
 * "filepath" has been written, and 0 when the download failed.
 */
#ifndef WARESEEK_DOWNLOAD_API_H
#define WARESEEK_DOWNLOAD_API_H

#ifdef __cplusplus
extern "C" {
#endif

typedef int(__cdecl* DownloadPackageFn)(int reserved, int hostValue, int pluginId, const wchar_t* request,
                                        int reserved2, int reserved3);

#ifdef __cplusplus
}
#endif

#endif /* WARESEEK_DOWNLOAD_API_H */
