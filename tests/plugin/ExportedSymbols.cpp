#include "tests/plugin/ExportedSymbols.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace tessel::test {

namespace {
template <class T>
T ReadAt(const std::vector<char>& file, std::size_t offset) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) throw std::runtime_error("truncated ELF file");
    T value;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return value;
}
}  // namespace

std::set<std::string> DefinedDynamicSymbols(const std::string& path) {
    // Read in one go: a sanitized build's library is tens of megabytes, too
    // many to take a character at a time.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<char> file(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    if (!in.read(file.data(), static_cast<std::streamsize>(file.size())))
        throw std::runtime_error("cannot read " + path);

    const auto header = ReadAt<Elf64_Ehdr>(file, 0);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
        throw std::runtime_error("not a 64-bit ELF file");

    std::set<std::string> names;
    for (std::size_t i = 0; i < header.e_shnum; ++i) {
        const auto section = ReadAt<Elf64_Shdr>(file, header.e_shoff + i * header.e_shentsize);
        if (section.sh_type != SHT_DYNSYM) continue;
        const auto strings = ReadAt<Elf64_Shdr>(file, header.e_shoff + section.sh_link * header.e_shentsize);
        for (std::size_t s = 0; s < section.sh_size / sizeof(Elf64_Sym); ++s) {
            const auto symbol = ReadAt<Elf64_Sym>(file, section.sh_offset + s * sizeof(Elf64_Sym));
            const auto binding = ELF64_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
            if (symbol.st_name >= strings.sh_size) throw std::runtime_error("bad symbol name");
            const char* name = file.data() + strings.sh_offset + symbol.st_name;
            names.insert(std::string(name, ::strnlen(name, strings.sh_size - symbol.st_name)));
        }
    }
    return names;
}

}  // namespace tessel::test
