#include "platform/w32/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/registry_testing.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

constexpr LONG kSuccess = static_cast<LONG>(ERROR_SUCCESS);
constexpr LONG kNotFound = static_cast<LONG>(ERROR_FILE_NOT_FOUND);
constexpr LONG kMoreData = static_cast<LONG>(ERROR_MORE_DATA);
constexpr LONG kBadHandle = static_cast<LONG>(ERROR_INVALID_HANDLE);
constexpr LONG kBadParameter = static_cast<LONG>(ERROR_INVALID_PARAMETER);
constexpr LONG kDenied = static_cast<LONG>(ERROR_ACCESS_DENIED);

// Every test must close what it opened.
class RegistryTest : public yrltest::W32Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(registry_testing_open_handles(), 0);
    W32Test::TearDown();
  }

  static HKEY create(HKEY root, const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, disposition),
              kSuccess);
    return key;
  }

  static LONG open(HKEY root, const char* path, REGSAM sam, HKEY* key) {
    return RegOpenKeyExA(root, path, 0, sam, key);
  }

  static LONG set(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
  }

  // The value's type and bytes, read with a buffer of exactly the size asked first.
  static std::string get(HKEY key, const char* name, DWORD* type = nullptr) {
    DWORD size = 0;
    LONG code = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (code != kSuccess) return "error " + std::to_string(code);
    std::string bytes(size, '\0');
    DWORD room = size;
    EXPECT_EQ(
        RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(bytes.data()), &room),
        kSuccess);
    EXPECT_EQ(room, size);
    return bytes;
  }
};

TEST_F(RegistryTest, CreateMakesTheWholePathAndOpenFindsItInAnyCase) {
  DWORD disposition = 0;
  HKEY deep = create(HKEY_CURRENT_USER, "Software\\Test Maker\\Deep", &disposition);
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  HKEY again = create(HKEY_CURRENT_USER, "SOFTWARE\\test maker\\deep\\", &disposition);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  // Below an opened key, and from the middle of the path.
  HKEY middle = nullptr;
  ASSERT_EQ(open(HKEY_CURRENT_USER, "software\\TEST MAKER", KEY_READ, &middle), kSuccess);
  HKEY child = create(middle, "deep\\Deeper", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);

  HKEY found = nullptr;
  EXPECT_EQ(open(HKEY_CURRENT_USER, "Software\\Test Maker\\Deep\\DEEPER", KEY_READ, &found),
            kSuccess);
  EXPECT_NE(found, nullptr);

  // Roots are separate trees.
  HKEY missing = reinterpret_cast<HKEY>(std::uintptr_t{0x99});
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Test Maker", KEY_READ, &missing), kNotFound);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(open(HKEY_CURRENT_USER, "Software\\Test Maker\\Nope", KEY_READ, &missing), kNotFound);
  EXPECT_EQ(open(HKEY_CURRENT_USER, "Software\\Test Maker\\Deep\\", KEY_READ, &missing), kSuccess);

  for (HKEY key : {deep, again, middle, child, found, missing})
    EXPECT_EQ(RegCloseKey(key), kSuccess);
}

TEST_F(RegistryTest, ValuesKeepTypeAndBytesAndQueryFollowsWin32SizeRules) {
  HKEY key = create(HKEY_CLASSES_ROOT, ".yrl");
  const std::string text("Yrlform.Document\0", 17);
  ASSERT_EQ(set(key, "Content Type", REG_SZ, text), kSuccess);

  // Null data asks the size.
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "content type", nullptr, &type, nullptr, &size), kSuccess);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 17u);
  EXPECT_EQ(RegQueryValueExA(key, "CONTENT TYPE", nullptr, nullptr, nullptr, nullptr), kSuccess);

  // Too small a buffer: ERROR_MORE_DATA, the size needed, nothing copied.
  std::string small(16, '#');
  size = 16;
  EXPECT_EQ(RegQueryValueExA(key, "Content Type", nullptr, &type,
                             reinterpret_cast<BYTE*>(small.data()), &size),
            kMoreData);
  EXPECT_EQ(size, 17u);
  EXPECT_EQ(small, std::string(16, '#'));

  // A larger buffer gets the bytes and their count.
  char large[32];
  std::memset(large, '#', sizeof large);
  size = sizeof large;
  EXPECT_EQ(RegQueryValueExA(key, "Content Type", nullptr, nullptr, reinterpret_cast<BYTE*>(large),
                             &size),
            kSuccess);
  EXPECT_EQ(size, 17u);
  EXPECT_EQ(std::string(large, 17), text);
  EXPECT_EQ(large[17], '#');

  // Bytes are kept as given: no terminator added, embedded zeros kept, empty allowed.
  const std::string binary("\x00\x01\xFF\x00z", 5);
  ASSERT_EQ(set(key, "Blob", REG_BINARY, binary), kSuccess);
  EXPECT_EQ(get(key, "blob", &type), binary);
  EXPECT_EQ(type, REG_BINARY);
  ASSERT_EQ(set(key, "Unterminated", REG_SZ, "abc"), kSuccess);
  EXPECT_EQ(get(key, "Unterminated"), "abc");
  ASSERT_EQ(RegSetValueExA(key, "Empty", 0, REG_SZ, nullptr, 0), kSuccess);
  EXPECT_EQ(get(key, "Empty"), "");

  // A DWORD, then the same name set again with another type.
  DWORD number = 0x12345678;
  ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4),
            kSuccess);
  DWORD read = 0;
  size = sizeof read;
  EXPECT_EQ(RegQueryValueExA(key, "count", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
            kSuccess);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(read, number);
  ASSERT_EQ(set(key, "COUNT", REG_EXPAND_SZ, std::string("%TMP%\0", 6)), kSuccess);
  EXPECT_EQ(get(key, "Count", &type), std::string("%TMP%\0", 6));
  EXPECT_EQ(type, REG_EXPAND_SZ);

  EXPECT_EQ(get(key, "Absent"), "error 2");
  EXPECT_EQ(RegCloseKey(key), kSuccess);
}

TEST_F(RegistryTest, NullAndEmptyNamesAreTheDefaultValue) {
  HKEY key = create(HKEY_CLASSES_ROOT, "Yrlform.Document\\shell\\open\\command");
  ASSERT_EQ(set(key, nullptr, REG_SZ, std::string("\"prog\" %1\0", 10)), kSuccess);
  EXPECT_EQ(get(key, ""), std::string("\"prog\" %1\0", 10));
  ASSERT_EQ(set(key, "", REG_SZ, std::string("other\0", 6)), kSuccess);
  EXPECT_EQ(get(key, nullptr), std::string("other\0", 6));
  EXPECT_EQ(RegCloseKey(key), kSuccess);

  // Values on a root itself, and a root opened with an empty path.
  ASSERT_EQ(set(HKEY_USERS, nullptr, REG_SZ, "root"), kSuccess);
  HKEY same = nullptr;
  ASSERT_EQ(open(HKEY_USERS, "", KEY_READ, &same), kSuccess);
  EXPECT_EQ(same, HKEY_USERS);
  EXPECT_EQ(get(same, nullptr), "root");
  EXPECT_EQ(RegCloseKey(same), kSuccess);
  EXPECT_EQ(get(HKEY_USERS, ""), "root");
}

TEST_F(RegistryTest, HandlesThatAreNotOpenAreRefused) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\A");
  ASSERT_EQ(RegCloseKey(key), kSuccess);
  HKEY reopened = create(HKEY_LOCAL_MACHINE, "Software\\A");  // may reuse the slot

  std::vector<HKEY> bad = {nullptr, key, reinterpret_cast<HKEY>(std::uintptr_t{0x1234}),
                           reinterpret_cast<HKEY>(std::uintptr_t{0x5}),
                           reinterpret_cast<HKEY>(~std::uintptr_t{0})};
  for (HKEY handle : bad) {
    SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(handle));
    HKEY out = reinterpret_cast<HKEY>(std::uintptr_t{0x99});
    EXPECT_EQ(open(handle, "x", KEY_READ, &out), kBadHandle);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(RegCreateKeyExA(handle, "x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &out, nullptr),
              kBadHandle);
    EXPECT_EQ(set(handle, "v", REG_SZ, "x"), kBadHandle);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(handle, "v", nullptr, nullptr, nullptr, &size), kBadHandle);
    EXPECT_EQ(RegCloseKey(handle), kBadHandle);
  }
  EXPECT_EQ(RegCloseKey(reopened), kSuccess);

  // A reset forgets every opened key.
  HKEY before = create(HKEY_LOCAL_MACHINE, "Software\\B");
  registry_testing_reset();
  EXPECT_EQ(registry_testing_open_handles(), 0);
  EXPECT_EQ(RegCloseKey(before), kBadHandle);
  HKEY out = nullptr;
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &out), kNotFound);
}

TEST_F(RegistryTest, BadArgumentsAndAccess) {
  HKEY out = reinterpret_cast<HKEY>(std::uintptr_t{0x99});
  EXPECT_EQ(open(HKEY_CURRENT_USER, "x", KEY_READ, nullptr), kBadParameter);
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, nullptr, 0, nullptr, 0, KEY_WRITE, nullptr, &out, nullptr),
      kBadParameter);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, "x", 0, nullptr, 0, KEY_WRITE, nullptr, nullptr, nullptr),
      kBadParameter);
  for (const char* path : {"\\x", "a\\\\b"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &out, nullptr),
        kBadParameter);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, nullptr, 3), kBadParameter);
  DWORD reserved = 0;
  DWORD size = 4;
  BYTE data[4];
  EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "v", &reserved, nullptr, nullptr, &size),
            kBadParameter);
  EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "v", nullptr, nullptr, data, nullptr),
            kBadParameter);

  // A key opened to read may not be written, and one opened to write not read.
  HKEY made = create(HKEY_CURRENT_USER, "Rights");
  ASSERT_EQ(set(made, "v", REG_SZ, "x"), kSuccess);
  HKEY reader = nullptr;
  HKEY writer = nullptr;
  ASSERT_EQ(open(HKEY_CURRENT_USER, "Rights", KEY_QUERY_VALUE, &reader), kSuccess);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Rights", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &writer, nullptr),
            kSuccess);
  EXPECT_EQ(set(reader, "v", REG_SZ, "y"), kDenied);
  EXPECT_EQ(get(writer, "v"), "error 5");
  EXPECT_EQ(set(writer, "v", REG_SZ, "z"), kSuccess);
  EXPECT_EQ(get(reader, "v"), "z");
  for (HKEY key : {made, reader, writer}) EXPECT_EQ(RegCloseKey(key), kSuccess);
}

TEST_F(RegistryTest, ThreadsShareOneStore) {
  constexpr int kThreads = 4;
  constexpr int kKeys = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kKeys; ++i) {
        std::string path = "Shared\\K" + std::to_string(i);
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != kSuccess)
          continue;
        std::string name = "T" + std::to_string(t);
        RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4);
        RegCloseKey(key);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kKeys; ++i) {
    HKEY key = nullptr;
    std::string path = "Shared\\K" + std::to_string(i);
    ASSERT_EQ(open(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ, &key), kSuccess);
    for (int t = 0; t < kThreads; ++t) {
      std::string name = "T" + std::to_string(t);
      std::string expected(reinterpret_cast<const char*>(&i), 4);
      EXPECT_EQ(get(key, name.c_str()), expected);
    }
    RegCloseKey(key);
  }
}

TEST_F(RegistryTest, ShortFormsOpenCreateAndDeleteValues) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Short", &key), kNotFound);
  EXPECT_EQ(key, nullptr);
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Short", &key), kSuccess);
  EXPECT_EQ(set(key, "v", REG_SZ, "x"), kSuccess);
  EXPECT_EQ(RegCloseKey(key), kSuccess);
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\SHORT", &key), kSuccess);
  EXPECT_EQ(get(key, "V"), "x");
  EXPECT_EQ(RegDeleteValueA(key, "v"), kSuccess);
  EXPECT_EQ(get(key, "v"), "error 2");
  EXPECT_EQ(RegDeleteValueA(key, "v"), kNotFound);
  EXPECT_EQ(RegCloseKey(key), kSuccess);
  HKEY root = nullptr;
  EXPECT_EQ(RegCreateKeyA(HKEY_USERS, nullptr, &root), kSuccess);
  EXPECT_EQ(root, HKEY_USERS);
}

// The store in a file named by YRL_W32_REGISTRY, shared by processes.
class SharedRegistryTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    file_ = dir_.at("registry.txt");
    setenv("YRL_W32_REGISTRY", file_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("YRL_W32_REGISTRY");
    RegistryTest::TearDown();
  }

  std::string file_text() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Runs body in a forked child and gives its exit code.
  template <typename Body>
  static int in_child(Body body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  yrltest::ScratchDir dir_;
  std::string file_;
};

TEST_F(SharedRegistryTest, ValueWrittenByAChildIsReadByTheParent) {
  ASSERT_EQ(in_child([] {
              HKEY key = nullptr;
              if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\VEK\\VEK.Setup\\cd1", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
                return false;
              bool ok = set(key, "ProcessId", REG_SZ, std::string("4242\0", 5)) == 0;
              return RegCloseKey(key) == 0 && ok;
            }),
            0);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "software\\vek\\vek.setup\\CD1", &key), kSuccess);
  DWORD type = 0;
  EXPECT_EQ(get(key, "processid", &type), std::string("4242\0", 5));
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(RegCloseKey(key), kSuccess);
  EXPECT_EQ(file_text(),
            "YRL-W32-REGISTRY 1\n"
            "K HKEY_CURRENT_USER\\SOFTWARE\n"
            "K HKEY_CURRENT_USER\\SOFTWARE\\VEK\n"
            "K HKEY_CURRENT_USER\\SOFTWARE\\VEK\\VEK.Setup\n"
            "K HKEY_CURRENT_USER\\SOFTWARE\\VEK\\VEK.Setup\\cd1\n"
            "V 1 3432343200 ProcessId\n");
}

TEST_F(SharedRegistryTest, HandWrittenFileIsReadAndOddNamesSurvive) {
  std::ofstream(file_, std::ios::binary)
      << "YRL-W32-REGISTRY 1\n"
         "K HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\n"
         "V 1 696136342046616d696c7900 Identifier\n"
         "V 3 - \n";
  HKEY key = nullptr;
  ASSERT_EQ(
      RegOpenKeyA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", &key),
      kSuccess);
  EXPECT_EQ(get(key, "Identifier"), std::string("ia64 Family\0", 12));
  DWORD type = 0;
  EXPECT_EQ(get(key, nullptr, &type), "");
  EXPECT_EQ(type, REG_BINARY);
  // Names with '%', blanks and control characters, and bytes of every value.
  HKEY odd = create(key, "K e%y\\\x01sub");
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(set(odd, "n%a me\n", REG_BINARY, all), kSuccess);
  EXPECT_EQ(set(odd, "", REG_SZ, "default"), kSuccess);
  EXPECT_EQ(RegCloseKey(odd), kSuccess);
  EXPECT_EQ(RegCloseKey(key), kSuccess);
  registry_testing_reset();  // nothing kept in this process: all comes from the file
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE,
                        "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0\\K E%Y\\\x01SUB", &odd),
            kSuccess);
  EXPECT_EQ(get(odd, "N%A ME\n"), all);
  EXPECT_EQ(get(odd, nullptr), "default");
  EXPECT_EQ(RegCloseKey(odd), kSuccess);
}

TEST_F(SharedRegistryTest, ProcessesWritingAtOnceLoseNoValue) {
  constexpr int kWriters = 3;
  constexpr int kValues = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < kValues; ++i) {
        HKEY key = nullptr;
        ok = ok && RegCreateKeyA(HKEY_CURRENT_USER, "Race", &key) == 0;
        std::string name = "W" + std::to_string(w) + "_" + std::to_string(i);
        ok = ok && set(key, name.c_str(), REG_DWORD, std::string(4, static_cast<char>(i))) == 0;
        ok = ok && RegCloseKey(key) == 0;
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Race", &key), kSuccess);
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kValues; ++i) {
      std::string name = "W" + std::to_string(w) + "_" + std::to_string(i);
      EXPECT_EQ(get(key, name.c_str()), std::string(4, static_cast<char>(i))) << name;
    }
  EXPECT_EQ(RegCloseKey(key), kSuccess);
}

TEST_F(SharedRegistryTest, BrokenFileAndVanishedKeysAreReported) {
  HKEY key = create(HKEY_CURRENT_USER, "Gone");
  // Another process replaces the store with one that lacks the key.
  std::ofstream(file_, std::ios::binary) << "YRL-W32-REGISTRY 1\n";
  EXPECT_EQ(set(key, "v", REG_SZ, "x"), static_cast<LONG>(ERROR_KEY_DELETED));
  EXPECT_EQ(RegCloseKey(key), kSuccess);

  const char* broken[] = {
      "not a store\n", "YRL-W32-REGISTRY 1\nV 1 00 x\n", "YRL-W32-REGISTRY 1\nK HKEY_NOWHERE\\a\n",
      "YRL-W32-REGISTRY 1\nK HKEY_USERS\\a\nV 1 0g x\n", "YRL-W32-REGISTRY 1\nK HKEY_USERS\\a%zz\n",
      // A key name with a '\' would come back as two keys.
      "YRL-W32-REGISTRY 1\nK HKEY_USERS\\a%5Cb\n"};
  for (const char* text : broken) {
    std::ofstream(file_, std::ios::binary) << text;
    HKEY made = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_USERS, "b", &made), static_cast<LONG>(ERROR_BADDB)) << text;
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(RegOpenKeyA(HKEY_USERS, "a", &made), static_cast<LONG>(ERROR_BADDB)) << text;
    EXPECT_EQ(file_text(), text) << "left as it is";
  }
}

TEST_F(RegistryTest, VolatileKeysLastUntilARestartAndHoldOnlyVolatileKeys) {
  HKEY lasting = create(HKEY_LOCAL_MACHINE, "Software\\Lasting");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Volatile\\Inner", 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            kSuccess);
  ASSERT_EQ(set(key, "v", REG_DWORD, std::string("\x01\x00\x00\x00", 4)), kSuccess);
  HKEY below = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, "Lasting", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &below, nullptr),
            static_cast<LONG>(ERROR_CHILD_MUST_BE_VOLATILE));
  EXPECT_EQ(below, nullptr);
  registry_testing_restart();
  // The volatile keys are gone, with their values; "Software" was made lasting.
  EXPECT_EQ(get(key, "v"), "error " + std::to_string(ERROR_KEY_DELETED));
  HKEY probe = nullptr;
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Volatile", KEY_READ, &probe), kNotFound);
  EXPECT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Lasting", KEY_READ, &probe), kSuccess);
  EXPECT_EQ(RegCloseKey(probe), kSuccess);
  EXPECT_EQ(RegCloseKey(key), kSuccess);
  EXPECT_EQ(RegCloseKey(lasting), kSuccess);
}

TEST_F(RegistryTest, EnumerationGivesKeysAndValuesByIndexWithWin32SizeRules) {
  HKEY key = create(HKEY_CURRENT_USER, "Enum");
  HKEY a = create(key, "Alpha");
  HKEY b = create(key, "Beta2");
  const std::string multi("one\0two\0\0", 9);
  ASSERT_EQ(set(key, "Path", REG_EXPAND_SZ, std::string("%ROOT%\\bin\0", 11)), kSuccess);
  ASSERT_EQ(set(key, "List", REG_MULTI_SZ, multi), kSuccess);
  ASSERT_EQ(set(key, "Count", REG_DWORD, std::string("\x2A\x00\x00\x00", 4)), kSuccess);
  char name[8];
  DWORD size = sizeof name;
  FILETIME written = {1, 1};
  ASSERT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, &written), kSuccess);
  EXPECT_STREQ(name, "Beta2");
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(written.dwLowDateTime, 0u);
  size = 5;  // no room for the terminator
  EXPECT_EQ(RegEnumKeyExA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), kMoreData);
  size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 2, name, &size, nullptr, nullptr, nullptr, nullptr),
            static_cast<LONG>(ERROR_NO_MORE_ITEMS));
  struct Expected {
    const char* name;
    DWORD type;
    std::string data;
  } expected[] = {{"Path", REG_EXPAND_SZ, std::string("%ROOT%\\bin\0", 11)},
                  {"List", REG_MULTI_SZ, multi},
                  {"Count", REG_DWORD, std::string("\x2A\x00\x00\x00", 4)}};
  for (DWORD i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    char data[16];
    DWORD data_size = sizeof data;
    DWORD type = 0;
    size = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, i, name, &size, nullptr, &type, reinterpret_cast<BYTE*>(data),
                            &data_size),
              kSuccess);
    EXPECT_STREQ(name, expected[i].name);
    EXPECT_EQ(type, expected[i].type);
    EXPECT_EQ(std::string(data, data_size), expected[i].data);
    data_size = 2;
    size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, i, name, &size, nullptr, &type, reinterpret_cast<BYTE*>(data),
                            &data_size),
              kMoreData);
    EXPECT_EQ(data_size, expected[i].data.size());
  }
  size = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 3, name, &size, nullptr, nullptr, nullptr, nullptr),
            static_cast<LONG>(ERROR_NO_MORE_ITEMS));
  // Enumerating keys needs the right to.
  HKEY reader = nullptr;
  ASSERT_EQ(open(HKEY_CURRENT_USER, "Enum", KEY_QUERY_VALUE, &reader), kSuccess);
  size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(reader, 0, name, &size, nullptr, nullptr, nullptr, nullptr), kDenied);
  for (HKEY h : {reader, a, b, key}) EXPECT_EQ(RegCloseKey(h), kSuccess);
}

TEST_F(RegistryTest, DeleteKeyRemovesOnlyAKeyWithoutKeysBelow) {
  HKEY key = create(HKEY_CURRENT_USER, "Del\\Inner\\Leaf");
  struct Case {
    const char* subkey;
    LONG code;
  } cases[] = {
      {"del\\inner", kDenied},  // has a key below
      {"Del\\Inner\\LEAF\\", kSuccess},  {"Del\\Inner\\Leaf", kNotFound},
      {"Del\\Missing\\Leaf", kNotFound}, {"", kBadParameter},
      {nullptr, kBadParameter},          {"Del\\Inner", kSuccess},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subkey == nullptr ? "null" : c.subkey);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, c.subkey), c.code);
  }
  EXPECT_EQ(set(key, "x", REG_SZ, "y"), static_cast<LONG>(ERROR_KEY_DELETED));
  EXPECT_EQ(RegCloseKey(key), kSuccess);
}

TEST_F(RegistryTest, KeySecurityTakesOnlyANullAccessList) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Secure");
  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor),
            static_cast<LONG>(ERROR_NOT_SUPPORTED));  // no list present
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), kSuccess);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr), kBadParameter);
  int list = 0;
  EXPECT_FALSE(SetSecurityDescriptorDacl(&descriptor, TRUE, &list, FALSE));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_FALSE(InitializeSecurityDescriptor(&descriptor, 2));
  EXPECT_EQ(RegCloseKey(key), kSuccess);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), kBadHandle);
}

TEST_F(SharedRegistryTest, VolatileMarkIsSharedAndARestartEmptiesItFromTheFile) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Run", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            kSuccess);
  EXPECT_EQ(RegCloseKey(key), kSuccess);
  EXPECT_EQ(file_text(), "YRL-W32-REGISTRY 1\nK HKEY_LOCAL_MACHINE\\Run\nX\n");
  registry_testing_restart();
  EXPECT_EQ(file_text(), "YRL-W32-REGISTRY 1\n");
}

}  // namespace
