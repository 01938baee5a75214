// The built plug-in exports only its listed entry points and runs nothing of its own
// when it is loaded.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

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

// Names defined and exported by the object's dynamic symbol table.
std::set<std::string> defined_dynamic_symbols(const std::string& path) {
  std::set<std::string> names;
  std::istringstream lines(run("readelf -W --dyn-syms '" + path + "'"));
  std::string line;
  std::regex row(R"(^\s*\d+:\s+[0-9a-f]+\s+\d+\s+(\w+)\s+(\w+)\s+\w+\s+(\w+)\s+(\S+))");
  std::smatch m;
  while (std::getline(lines, line)) {
    if (!std::regex_search(line, m, row)) continue;
    if (m[3] == "UND" || m[2] == "LOCAL") continue;
    std::string name = m[4];
    names.insert(name.substr(0, name.find('@')));
  }
  return names;
}

std::set<std::string> undefined_dynamic_symbols(const std::string& path) {
  std::set<std::string> names;
  std::istringstream lines(run("readelf -W --dyn-syms '" + path + "'"));
  std::string line;
  std::regex row(R"(^\s*\d+:\s+[0-9a-f]+\s+\d+\s+\w+\s+\w+\s+\w+\s+UND\s+(\S+))");
  std::smatch m;
  while (std::getline(lines, line)) {
    if (!std::regex_search(line, m, row)) continue;
    std::string name = m[1];
    names.insert(name.substr(0, name.find('@')));
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

TEST(PluginObject, ExportsNothingBeyondTheTwelveEntryPoints) {
  std::set<std::string> allowed = allowed_exports();
  ASSERT_EQ(allowed.size(), 12u);
  std::set<std::string> exported = defined_dynamic_symbols(YRL_PLUGIN_PATH);
  for (const std::string& name : exported) {
    EXPECT_TRUE(allowed.count(name)) << "unexpected export: " << name;
  }
}

TEST(PluginObject, HasNoInitialisersOrExitHandlersOfItsOwn) {
#ifdef YRL_SANITIZED_BUILD
  GTEST_SKIP() << "the sanitizers add initialisers of their own";
#endif
  for (const char* section : {".init_array", ".fini_array", ".ctors", ".dtors", ".tbss"}) {
    EXPECT_EQ(section_size(YRL_PLUGIN_PATH, section),
              section_size(YRL_EMPTY_REFERENCE_PATH, section))
        << section;
  }
  std::set<std::string> imports = undefined_dynamic_symbols(YRL_PLUGIN_PATH);
  for (const char* name : {"atexit", "__cxa_atexit", "__cxa_thread_atexit_impl",
                           "__cxa_guard_acquire", "on_exit"}) {
    EXPECT_FALSE(imports.count(name)) << name;
  }
}

}  // namespace
