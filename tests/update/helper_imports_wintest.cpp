// The installation helper runs with administrator rights from a folder the user can write:
// every library it imports must be one that Windows takes from its known-DLL list (never
// from the helper's own folder), and it must load anything else from the system folder.
#include <gtest/gtest.h>

#include "platform/win.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Windows' KnownDLLs (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs) of
// Windows 10 and 11, lower case; ntdll.dll is always the system's own.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",    "difxapi.dll",
    "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",    "kernel32.dll", "msctf.dll",
    "msvcrt.dll",   "normaliz.dll", "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",  "shlwapi.dll",
    "user32.dll",   "wldap32.dll",  "ws2_32.dll",   "ntdll.dll"};

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The helper as the program carries it (the resource "ZRVUPD").
std::string HelperBytes() {
  HRSRC resource = ::FindResourceA(nullptr, "ZRVUPD", "ZRVUPD");
  HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
  return bytes ? std::string(bytes, ::SizeofResource(nullptr, resource)) : std::string();
}

struct Imports {
  std::vector<std::string> Libraries;
  std::vector<std::string> Functions;
};

// The import table of a PE image given as its file bytes; throws on a malformed image.
Imports ReadImports(const std::string& image) {
  auto at = [&](std::size_t offset, std::size_t size) {
    if (offset + size > image.size()) throw std::runtime_error("outside the image");
    return image.data() + offset;
  };
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, at(0, sizeof dos), sizeof dos);
  IMAGE_NT_HEADERS64 nt;
  std::memcpy(&nt, at(dos.e_lfanew, sizeof nt), sizeof nt);
  if (nt.Signature != IMAGE_NT_SIGNATURE) throw std::runtime_error("no PE image");
  std::size_t sectionsAt = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                           nt.FileHeader.SizeOfOptionalHeader;
  std::vector<IMAGE_SECTION_HEADER> sections(nt.FileHeader.NumberOfSections);
  std::memcpy(sections.data(), at(sectionsAt, sections.size() * sizeof(IMAGE_SECTION_HEADER)),
              sections.size() * sizeof(IMAGE_SECTION_HEADER));
  auto fileOffset = [&](DWORD rva) -> std::size_t {
    for (const auto& s : sections)
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
        return rva - s.VirtualAddress + s.PointerToRawData;
    throw std::runtime_error("address outside every section");
  };
  auto text = [&](DWORD rva) { return std::string(at(fileOffset(rva), 1)); };
  Imports imports;
  DWORD table = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (std::size_t i = 0;; ++i) {
    IMAGE_IMPORT_DESCRIPTOR d;
    std::memcpy(&d, at(fileOffset(table) + i * sizeof d, sizeof d), sizeof d);
    if (d.Name == 0) break;
    imports.Libraries.push_back(Lower(text(d.Name)));
    DWORD thunks = d.OriginalFirstThunk ? d.OriginalFirstThunk : d.FirstThunk;
    for (std::size_t k = 0;; ++k) {
      ULONGLONG thunk;
      std::memcpy(&thunk, at(fileOffset(thunks) + k * sizeof thunk, sizeof thunk), sizeof thunk);
      if (thunk == 0) break;
      if (!(thunk & IMAGE_ORDINAL_FLAG64))
        imports.Functions.push_back(text(static_cast<DWORD>(thunk) + 2));
    }
  }
  return imports;
}

TEST(HelperImports, OnlyKnownDllsAndNothingLoadedFromItsOwnFolder) {
  std::string helper = HelperBytes();
  ASSERT_GT(helper.size(), 10000u);
  Imports imports = ReadImports(helper);
  ASSERT_FALSE(imports.Libraries.empty());
  for (const std::string& library : imports.Libraries)
    EXPECT_TRUE(kKnownDlls.count(library)) << library << " is not a known DLL";
  // CNG (bcrypt.dll, not a known DLL) is loaded at run time, from the system folder, after
  // the search path of the process has been limited to it.
  const auto& f = imports.Functions;
  EXPECT_NE(std::find(f.begin(), f.end(), "SetDefaultDllDirectories"), f.end());
  EXPECT_NE(std::find(f.begin(), f.end(), "LoadLibraryExA"), f.end());
  EXPECT_EQ(std::find(f.begin(), f.end(), "LoadLibraryA"), f.end());
}

}  // namespace
