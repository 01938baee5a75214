// Printers over a spool folder ($YRL_W32_SPOOL_DIR, else /tmp/yrl-w32-spool-<uid>): a
// printer exists when the profile's "devices" section (profile.h) has an entry of its
// name, and each document printed to it is the file "<printer>-<job>.prn" of its bytes
// (the printer's name written as w32_standin_file_name gives it). Only "RAW" documents
// are taken. Printer handles are closed with ClosePrinter; closing one ends its document.
//
// Each call consults the fault facility (fault.h) under its name.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD ERROR_INVALID_PRINTER_NAME = 1801;
constexpr DWORD ERROR_INVALID_DATATYPE = 1804;
constexpr DWORD ERROR_SPL_NO_STARTDOC = 3003;

constexpr char W32_SPOOL_FOLDER_VARIABLE[] = "YRL_W32_SPOOL_DIR";

struct DOC_INFO_1A {
  char* pDocName;
  char* pOutputFile;
  char* pDatatype;
};

// Opens the printer name into *printer; ERROR_INVALID_PRINTER_NAME when there is no
// such printer, ERROR_INVALID_PARAMETER for a null name or result. defaults is not used.
BOOL OpenPrinterA(const char* name, HANDLE* printer, void* defaults);

// Starts a document (level 1 only, else ERROR_INVALID_LEVEL): its job number, 0 on
// failure: ERROR_INVALID_DATATYPE for a data type other than "RAW" (null is "RAW"),
// ERROR_INVALID_PARAMETER when a document is under way, ERROR_INVALID_HANDLE.
DWORD StartDocPrinterA(HANDLE printer, DWORD level, BYTE* doc_info);

// Pages only mark the document; they need one under way (else ERROR_SPL_NO_STARTDOC).
BOOL StartPagePrinter(HANDLE printer);
BOOL EndPagePrinter(HANDLE printer);

// Appends count bytes to the document's file; *written gets the bytes written.
// ERROR_SPL_NO_STARTDOC without a document.
BOOL WritePrinter(HANDLE printer, const void* data, DWORD count, DWORD* written);

// Ends the document: its file is complete. ERROR_SPL_NO_STARTDOC without one.
BOOL EndDocPrinter(HANDLE printer);

BOOL ClosePrinter(HANDLE printer);

constexpr DWORD ERROR_INVALID_LEVEL = 124;

}  // namespace w32
