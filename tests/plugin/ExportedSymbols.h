#pragma once
// Reads the names a shared library defines in its dynamic symbol table,
// straight from the ELF file (no external tools).

#include <set>
#include <string>

namespace tessel::test {

// Global and weak symbols the file itself defines (undefined imports excluded).
// Throws std::runtime_error when the file is not a readable 64-bit ELF object.
std::set<std::string> DefinedDynamicSymbols(const std::string& path);

}  // namespace tessel::test
