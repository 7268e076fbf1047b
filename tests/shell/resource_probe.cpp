// bexaran_resource_probe.exe EXE MANIFEST_OUT: reads the version resource of
// EXE back as Explorer does (GetFileVersionInfo, VerQueryValue) and checks
// every field; finds its application manifest, has Windows build an
// activation context from it (which parses it), and writes its bytes to
// MANIFEST_OUT for the XML checks of wine_resources.sh. Prints one line per
// check; exits 0 when all pass.
#include <windows.h> // wide API: -municode

#include <stdio.h>
#include <string.h>
#include <vector>

namespace {

int failures = 0;

void expect(bool ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}

// A string of the Russian table, or "" if it is missing.
const wchar_t* stringValue(const std::vector<BYTE>& info, const wchar_t* name) {
    wchar_t path[96];
    swprintf(path, 96, L"\\StringFileInfo\\041904B0\\%ls", name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path, &value, &length) || !value) return L"";
    return (const wchar_t*)value;
}

void checkVersion(const wchar_t* exe) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(exe, &ignored);
    expect(size > 0, "the exe carries a version resource");
    if (!size) return;
    std::vector<BYTE> info(size);
    expect(GetFileVersionInfoW(exe, 0, size, info.data()), "GetFileVersionInfo reads it");
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    expect(VerQueryValueW(info.data(), L"\\", (void**)&fixed, &length) && fixed &&
               fixed->dwSignature == 0xFEEF04BD,
           "fixed file information");
    if (!fixed) return;
    expect(fixed->dwFileVersionMS == MAKELONG(30, 1) && fixed->dwFileVersionLS == 0,
           "file version 1.30.0.0");
    expect(fixed->dwProductVersionMS == MAKELONG(30, 1) && fixed->dwProductVersionLS == 0,
           "product version 1.30.0.0");
    expect(fixed->dwFileOS == VOS_NT_WINDOWS32 && fixed->dwFileType == VFT_APP &&
               (fixed->dwFileFlags & fixed->dwFileFlagsMask) == 0,
           "a Windows NT application, no debug or pre-release flags");
    WORD* translation = nullptr;
    expect(
        VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length) &&
            length == 4 && translation[0] == 0x0419 && translation[1] == 1200,
        "one translation: Russian, UTF-16");
    struct Field {
        const wchar_t* name;
        const wchar_t* value;
    } fields[] = {
        {L"ProductName", L"Bexaran"},
        {L"FileDescription", L"Bexaran: игра о ящиках"},
        {L"FileVersion", L"1.30"},
        {L"ProductVersion", L"1.30"},
        {L"LegalCopyright", L"© 2026 Bexaran"},
        {L"OriginalFilename", L"bexaran.exe"},
        {L"InternalName", L"bexaran"},
    };
    for (const Field& f : fields) {
        char what[96];
        snprintf(what, sizeof what, "string %ls", f.name);
        expect(wcscmp(stringValue(info, f.name), f.value) == 0, what);
    }
}

void checkManifest(const wchar_t* exe, const wchar_t* out) {
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    expect(module != nullptr, "the exe opens as a data file");
    if (!module) return;
    HRSRC found = FindResourceExW(module, RT_MANIFEST, MAKEINTRESOURCEW(1),
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    expect(found != nullptr, "manifest 1, language neutral");
    DWORD size = found ? SizeofResource(module, found) : 0;
    const void* bytes = found ? LockResource(LoadResource(module, found)) : nullptr;
    expect(size > 0 && bytes, "its bytes");
    if (size && bytes) {
        FILE* f = _wfopen(out, L"wb");
        expect(f && fwrite(bytes, 1, size, f) == size && fclose(f) == 0, "written out");
    }
    FreeLibrary(module);

    // The loader's own reading of it: an activation context from the resource.
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = exe;
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE handle = CreateActCtxW(&context);
    expect(handle != INVALID_HANDLE_VALUE, "Windows builds an activation context from it");
    if (handle != INVALID_HANDLE_VALUE) ReleaseActCtx(handle);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        printf("usage: bexaran_resource_probe EXE MANIFEST_OUT\n");
        return 2;
    }
    checkVersion(argv[1]);
    checkManifest(argv[1], argv[2]);
    return failures ? 1 : 0;
}
