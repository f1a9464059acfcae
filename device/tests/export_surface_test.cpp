// Every export of the device library, found by name in the loaded library.
#include <dlfcn.h>
#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "export_list.h"
#include "vexlib_fixture.h"

namespace {

TEST(ExportSurface, EveryExportResolvesByName) {
  ASSERT_NE(vxtest::Library(), nullptr);
  std::vector<std::string> missing;
  for (const std::string& name : vxtest::ExportNames()) {
    if (dlsym(vxtest::Library(), name.c_str()) == nullptr) missing.push_back(name);
  }
  EXPECT_TRUE(missing.empty()) << "not exported: " << ::testing::PrintToString(missing);
}

TEST(ExportSurface, TheListNamesEachExportOnce) {
  const auto& names = vxtest::ExportNames();
  EXPECT_EQ(names.size(), vxtest::kExportCount);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

// The functions with C names that a shared library file defines, from its
// dynamic symbol table.
std::set<std::string> DefinedCFunctions(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::set<std::string> names;
  Elf64_Ehdr header{};
  if (file.size() < sizeof header) return names;
  std::memcpy(&header, file.data(), sizeof header);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) return names;
  auto section = [&](std::size_t i) {
    Elf64_Shdr s{};
    std::size_t at = header.e_shoff + i * header.e_shentsize;
    if (at + sizeof s <= file.size()) std::memcpy(&s, file.data() + at, sizeof s);
    return s;
  };
  for (std::size_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr symbols = section(i);
    if (symbols.sh_type != SHT_DYNSYM) continue;
    Elf64_Shdr strings = section(symbols.sh_link);
    for (std::size_t at = symbols.sh_offset; at + sizeof(Elf64_Sym) <= symbols.sh_offset + symbols.sh_size &&
                                             at + sizeof(Elf64_Sym) <= file.size();
         at += sizeof(Elf64_Sym)) {
      Elf64_Sym sym{};
      std::memcpy(&sym, file.data() + at, sizeof sym);
      int bind = ELF64_ST_BIND(sym.st_info);
      if (ELF64_ST_TYPE(sym.st_info) != STT_FUNC || sym.st_shndx == SHN_UNDEF) continue;
      if (bind != STB_GLOBAL && bind != STB_WEAK) continue;
      std::size_t name = strings.sh_offset + sym.st_name;
      if (name >= file.size()) continue;
      std::string text(file.data() + name, strnlen(file.data() + name, file.size() - name));
      if (text.rfind("_Z", 0) != 0) names.insert(text);
    }
  }
  return names;
}

TEST(ExportSurface, TheLibraryExportsTheSurfaceAndNothingElseByCName) {
  Dl_info info{};
  ASSERT_NE(dladdr(dlsym(vxtest::Library(), "GetVXStatus"), &info), 0);
  std::set<std::string> defined = DefinedCFunctions(info.dli_fname);
  ASSERT_FALSE(defined.empty());
  std::vector<std::string> extra;
  for (const std::string& name : defined) {
    bool surface = std::binary_search(vxtest::ExportNames().begin(), vxtest::ExportNames().end(), name);
    // Beside the surface: the block senders of the active-point exports and the test hooks.
    bool known = name == "SendWordBlock" || name == "ReceiveWordBlock" || name.rfind("vxTest", 0) == 0;
    if (!surface && !known) extra.push_back(name);
  }
  EXPECT_TRUE(extra.empty()) << "exported beyond the surface: " << ::testing::PrintToString(extra);
  for (const std::string& name : vxtest::ExportNames()) EXPECT_TRUE(defined.count(name)) << name;
}

}  // namespace
