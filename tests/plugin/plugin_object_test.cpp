// The built plug-in exports only its listed entry points and runs nothing of its own
// when it is loaded.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string run(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// One row of readelf's symbol listing.
struct SymbolRow {
  std::string bind;     // GLOBAL, LOCAL, WEAK, ...
  std::string section;  // UND when the object only uses the symbol
  std::string name;     // without a version suffix
};

// The rows of the dynamic symbol table ("--dyn-syms") or of the full one ("-s").
std::vector<SymbolRow> symbol_rows(const std::string& path, const std::string& table) {
  std::vector<SymbolRow> rows;
  std::istringstream lines(run("readelf -W " + table + " '" + path + "'"));
  std::string line;
  std::regex row(R"(^\s*\d+:\s+[0-9a-f]+\s+\S+\s+\w+\s+(\w+)\s+\w+\s+(\w+)\s+(\S+))");
  std::smatch m;
  while (std::getline(lines, line)) {
    if (!std::regex_search(line, m, row)) continue;
    std::string name = m[3];
    rows.push_back({m[1], m[2], name.substr(0, name.find('@'))});
  }
  return rows;
}

// Names defined and exported by the object's dynamic symbol table.
std::set<std::string> defined_dynamic_symbols(const std::string& path) {
  std::set<std::string> names;
  for (const SymbolRow& row : symbol_rows(path, "--dyn-syms")) {
    if (row.section != "UND" && row.bind != "LOCAL") names.insert(row.name);
  }
  return names;
}

std::set<std::string> undefined_dynamic_symbols(const std::string& path) {
  std::set<std::string> names;
  for (const SymbolRow& row : symbol_rows(path, "--dyn-syms")) {
    if (row.section == "UND") names.insert(row.name);
  }
  return names;
}

// Names defined in the object's full symbol table, local ones included.
std::set<std::string> defined_symbols(const std::string& path) {
  std::set<std::string> names;
  for (const SymbolRow& row : symbol_rows(path, "-s")) {
    if (row.section != "UND") names.insert(row.name);
  }
  return names;
}

// Size of a section, 0 when absent.
unsigned long section_size(const std::string& path, const std::string& section) {
  std::istringstream lines(run("readelf -W -S '" + path + "'"));
  std::string line;
  std::regex row(R"(\]\s+(\S+)\s+\S+\s+[0-9a-f]+\s+[0-9a-f]+\s+([0-9a-f]+))");
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, m, row) && m[1] == section) return std::stoul(m[2], nullptr, 16);
  }
  return 0;
}

std::set<std::string> allowed_exports() {
  std::set<std::string> names;
  std::ifstream map(YRL_EXPORT_MAP_PATH);
  std::string line;
  std::regex row(R"(^\s*((?:i_am_\d+)|user_\w+);)");
  std::smatch m;
  while (std::getline(map, line)) {
    if (std::regex_search(line, m, row)) names.insert(m[1]);
  }
  return names;
}

TEST(PluginObject, ExportsExactlyTheTwelveEntryPoints) {
  std::set<std::string> allowed = allowed_exports();
  ASSERT_EQ(allowed.size(), 12u);
  std::set<std::string> exported = defined_dynamic_symbols(YRL_PLUGIN_PATH);
  for (const std::string& name : exported) {
    EXPECT_TRUE(allowed.count(name)) << "unexpected export: " << name;
  }
  for (const std::string& name : allowed) {
    EXPECT_TRUE(exported.count(name)) << "missing export: " << name;
  }
}

TEST(PluginObject, HasNoInitialisersOrExitHandlersOfItsOwn) {
#ifdef YRL_SANITIZED_BUILD
  GTEST_SKIP() << "the sanitizers add initialisers of their own";
#endif
  for (const char* section : {".init_array", ".fini_array", ".ctors", ".dtors"}) {
    EXPECT_EQ(section_size(YRL_PLUGIN_PATH, section),
              section_size(YRL_EMPTY_REFERENCE_PATH, section))
        << section;
  }
  // Thread-local data is allowed when it is constant-initialised (the Win32 stand-in's
  // per-thread error codes); one with a dynamic initialiser brings a TLS init function
  // or guard.
  for (const std::string& name : defined_symbols(YRL_PLUGIN_PATH)) {
    bool initialiser = name.rfind("_ZTH", 0) == 0 || name == "__tls_guard" || name == "__tls_init";
    EXPECT_FALSE(initialiser) << "thread-local initialiser: " << name;
  }
  std::set<std::string> imports = undefined_dynamic_symbols(YRL_PLUGIN_PATH);
  for (const char* name : {"atexit", "__cxa_atexit", "__cxa_thread_atexit_impl",
                           "__cxa_guard_acquire", "on_exit"}) {
    EXPECT_FALSE(imports.count(name)) << name;
  }
}

}  // namespace

namespace {

// The libraries of the stand-in host (dxflib for DXF drawings) stay out of the plug-in.
TEST(PluginObject, NeedsNoLibraryOfTheHost) {
  std::istringstream lines(run("readelf -W -d '" + std::string(YRL_PLUGIN_PATH) + "'"));
  std::regex row(R"(\(NEEDED\)\s+Shared library: \[(\S+)\])");
  std::smatch m;
  int needed = 0;
  for (std::string line; std::getline(lines, line);) {
    if (!std::regex_search(line, m, row)) continue;
    ++needed;
    EXPECT_EQ(std::string(m[1]).find("dxflib"), std::string::npos) << m[1];
  }
  EXPECT_GT(needed, 0) << "readelf listed no needed library";
}

}  // namespace
