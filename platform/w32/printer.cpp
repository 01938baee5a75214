#include "platform/w32/printer.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "platform/w32/cancel.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle.h"
#include "platform/w32/pipe.h"
#include "platform/w32/printer_testing.h"
#include "platform/w32/profile.h"
#include "platform/w32/registry.h"
#include "platform/w32/standin_folder.h"

namespace w32 {

namespace {

constexpr std::size_t kNameSize = 257;

struct Printer {
  W32HandleObject head;
  char name[kNameSize];
  int job_fd;  // the document under way, -1 when none
};

pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;  // guards the printers' documents
char g_folder[1024] = "";

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

void destroy_printer(W32HandleObject* object) {
  Printer* printer = reinterpret_cast<Printer*>(object);
  if (printer->job_fd >= 0) ::close(printer->job_fd);
  delete printer;
}

bool printer_exists(const char* name) {
  std::string key = std::string(W32_PROFILE_NT_KEY) + "\\devices";
  HKEY devices = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &devices) != 0) return false;
  bool found = RegQueryValueExA(devices, name, nullptr, nullptr, nullptr, nullptr) == 0;
  RegCloseKey(devices);
  return found;
}

// Runs body(printer) on the printer behind handle under the lock; FALSE with the last
// error set when the handle is none, or when body answers a code other than
// ERROR_SUCCESS. Bodies open, write and close files: cancellation is held off
// (cancel.h).
template <typename Body>
BOOL with_printer(HANDLE handle, Body body) {
  auto* printer = reinterpret_cast<Printer*>(w32_handle_acquire(handle, W32_HANDLE_PRINTER));
  if (printer == nullptr) return FALSE;
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  DWORD code = body(printer);
  pthread_mutex_unlock(&g_lock);
  w32_handle_release(&printer->head);
  return code == ERROR_SUCCESS ? TRUE : fail(code);
}

}  // namespace

BOOL OpenPrinterA(const char* name, HANDLE* printer, void*) {
  if (printer != nullptr) *printer = nullptr;
  if (w32_fault_hit("OpenPrinterA")) return FALSE;
  if (name == nullptr || printer == nullptr || std::strlen(name) >= kNameSize)
    return fail(ERROR_INVALID_PARAMETER);
  if (!printer_exists(name)) return fail(ERROR_INVALID_PRINTER_NAME);
  Printer* object = new (std::nothrow) Printer{{destroy_printer, 0}, {}, -1};
  if (object == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY);
  std::strcpy(object->name, name);
  *printer = w32_handle_open(&object->head, W32_HANDLE_PRINTER);
  if (*printer == nullptr) {
    delete object;
    return FALSE;
  }
  return TRUE;
}

DWORD StartDocPrinterA(HANDLE handle, DWORD level, BYTE* doc_info) {
  if (w32_fault_hit("StartDocPrinterA")) return 0;
  if (level != 1) return fail(ERROR_INVALID_LEVEL);
  if (doc_info == nullptr) return fail(ERROR_INVALID_PARAMETER);
  const auto* info = reinterpret_cast<const DOC_INFO_1A*>(doc_info);
  if (info->pDatatype != nullptr && std::strcmp(info->pDatatype, "RAW") != 0)
    return fail(ERROR_INVALID_DATATYPE);
  DWORD job = 0;
  BOOL started = with_printer(handle, [&](Printer* printer) {
    if (printer->job_fd >= 0) return ERROR_INVALID_PARAMETER;
    std::string base = w32_standin_folder(g_folder, W32_SPOOL_FOLDER_VARIABLE, "yrl-w32-spool") +
                       "/" + w32_standin_file_name(printer->name) + "-";
    // The first number not taken yet.
    for (DWORD number = 1; number < 100000; ++number) {
      std::string file = base + std::to_string(number) + ".prn";
      int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd >= 0) {
        printer->job_fd = fd;
        job = number;
        return ERROR_SUCCESS;
      }
      if (errno != EEXIST) return w32_error_from_errno(errno);
    }
    return ERROR_DISK_FULL;
  });
  return started ? job : 0;
}

BOOL StartPagePrinter(HANDLE handle) {
  if (w32_fault_hit("StartPagePrinter")) return FALSE;
  return with_printer(handle, [](Printer* printer) {
    return printer->job_fd >= 0 ? ERROR_SUCCESS : ERROR_SPL_NO_STARTDOC;
  });
}

BOOL EndPagePrinter(HANDLE handle) {
  if (w32_fault_hit("EndPagePrinter")) return FALSE;
  return with_printer(handle, [](Printer* printer) {
    return printer->job_fd >= 0 ? ERROR_SUCCESS : ERROR_SPL_NO_STARTDOC;
  });
}

BOOL WritePrinter(HANDLE handle, const void* data, DWORD count, DWORD* written) {
  if (written != nullptr) *written = 0;
  if (w32_fault_hit("WritePrinter")) return FALSE;
  if (data == nullptr && count > 0) return fail(ERROR_INVALID_PARAMETER);
  return with_printer(handle, [&](Printer* printer) {
    if (printer->job_fd < 0) return ERROR_SPL_NO_STARTDOC;
    int error = 0;
    std::size_t done = w32_pipe_write(printer->job_fd, data, count, &error);
    if (written != nullptr) *written = static_cast<DWORD>(done);
    return error == 0 ? ERROR_SUCCESS : w32_error_from_errno(error);
  });
}

BOOL EndDocPrinter(HANDLE handle) {
  if (w32_fault_hit("EndDocPrinter")) return FALSE;
  return with_printer(handle, [](Printer* printer) {
    if (printer->job_fd < 0) return ERROR_SPL_NO_STARTDOC;
    int result = ::close(printer->job_fd);
    printer->job_fd = -1;
    return result == 0 ? ERROR_SUCCESS : w32_error_from_errno(errno);
  });
}

BOOL ClosePrinter(HANDLE handle) {
  if (w32_fault_hit("ClosePrinter")) return FALSE;
  return w32_handle_close(handle, W32_HANDLE_PRINTER);
}

bool printer_testing_set_spool_folder(const char* folder) {
  if (folder != nullptr && std::strlen(folder) >= sizeof g_folder) return false;
  pthread_mutex_lock(&g_lock);
  std::strcpy(g_folder, folder != nullptr ? folder : "");
  pthread_mutex_unlock(&g_lock);
  return true;
}

}  // namespace w32
