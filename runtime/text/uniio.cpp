#include "runtime/text/uniio.h"

#include "fileaccess/core/pfa.h"
#include "platform/w32/codepage.h"
#include "platform/w32/console.h"
#include "platform/w32/error.h"
#include "runtime/diag/console.h"
#include "runtime/text/lang.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

constexpr w32::UINT JAPANESE_CODE_PAGE = 932;
constexpr int SS2 = 0x8E;  // EUC's prefix of a half-width katakana

bool japanese() { return get_language() == LANG_JAPANESE; }

w32::UINT code_page() {
  if (japanese()) return JAPANESE_CODE_PAGE;
  int page = lang_get_code_page(-1);
  return page > 0 ? static_cast<w32::UINT>(page) : w32::CP_ACP;
}

bool in_euc_range(int c) { return c >= 161 && c <= 254; }
bool half_width_katakana(int c) { return c >= 161 && c <= 223; }

// Exactly one character from n bytes of the code page, else -1.
int convert(w32::UINT page, const unsigned char* bytes, int n) {
  w32::WCHAR wide[2];
  int got = w32::MultiByteToWideChar(page, w32::MB_PRECOMPOSED, reinterpret_cast<const char*>(bytes),
                                     n, wide, 2);
  return got == 1 ? wide[0] : -1;
}

int stdio_get(void* stream) { return std::getc(static_cast<std::FILE*>(stream)); }
int stdio_put(int byte, void* stream) { return std::putc(byte, static_cast<std::FILE*>(stream)); }
int pfa_get(void* stream) { return pfa_fgetc(static_cast<VynFile*>(stream)); }
int pfa_put(int byte, void* stream) { return pfa_fputc(byte, static_cast<VynFile*>(stream)); }

VynWchar get_japanese(VynByteGetter getter, void* stream, int c) {
  unsigned char bytes[2];
  int n = 1;
  bytes[0] = static_cast<unsigned char>(c);
  if (in_euc_range(c)) {
    int c2 = getter(stream);
    if (c2 < 0) return VYN_WEOF;
    if (in_euc_range(c2)) {
      int j1 = c % 128;
      int j2 = c2 % 128;
      jis2sjis(&j1, &j2);
      bytes[0] = static_cast<unsigned char>(j1);
      bytes[1] = static_cast<unsigned char>(j2);
    } else {
      bytes[1] = static_cast<unsigned char>(c2);
    }
    n = 2;
  } else if (c == SS2) {
    int c2 = getter(stream);
    if (c2 < 0) return VYN_WEOF;
    if (half_width_katakana(c2)) {
      bytes[0] = static_cast<unsigned char>(c2);
    } else {
      bytes[1] = static_cast<unsigned char>(c2);
      n = 2;
    }
  }
  int wc = convert(JAPANESE_CODE_PAGE, bytes, n);
  return wc < 0 ? 0 : static_cast<VynWchar>(wc);
}

// The reader of vyn_fgetwc and pfa_fgetwc.
VynWchar get_wc(VynByteGetter getter, void* stream) {
  if (japanese()) return get_unicode_wc(getter, stream);
  int c = getter(stream);
  if (c < 0) return VYN_WEOF;
  if (!is_multibyte_language(get_language())) return static_cast<VynWchar>(c);
  char bytes[2] = {static_cast<char>(c), 0};
  int n = 1;
  if (w32::IsDBCSLeadByteEx(code_page(), static_cast<w32::BYTE>(c))) {
    int c2 = getter(stream);
    if (c2 < 0) return VYN_WEOF;
    bytes[1] = static_cast<char>(c2);
    n = 2;
  }
  VynWchar wc = 0;
  return vyn_mbtowc(&wc, bytes, n) > 0 ? wc : 0;
}

VynWchar* get_line(VynWchar* buf, int n, VynByteGetter getter, void* stream) {
  if (!buf || n < 1) return nullptr;
  int stored = 0;
  while (stored < n - 1) {
    VynWchar wc = get_wc(getter, stream);
    if (wc == VYN_WEOF) {
      if (stored == 0) {
        buf[0] = 0;
        return nullptr;
      }
      break;
    }
    buf[stored++] = wc;
    if (wc == u'\n') break;
  }
  buf[stored] = 0;
  return buf;
}

}  // namespace

VynWchar get_unicode_wc(VynByteGetter getter, void* stream) {
  if (!getter) return VYN_WEOF;
  int c = getter(stream);
  if (c < 0) return VYN_WEOF;
  if (japanese()) return get_japanese(getter, stream, c);
  w32::UINT page = code_page();
  unsigned char bytes[2] = {static_cast<unsigned char>(c), 0};
  int n = 1;
  if (w32::IsDBCSLeadByteEx(page, bytes[0])) {
    int c2 = getter(stream);
    if (c2 < 0) return VYN_WEOF;
    bytes[1] = static_cast<unsigned char>(c2);
    n = 2;
  }
  int wc = convert(page, bytes, n);
  if (wc < 0) {
    ivek_printf("fget_unicode_wc:Error - %d\n", static_cast<int>(w32::GetLastError()));
    return VYN_WEOF;
  }
  return static_cast<VynWchar>(wc);
}

VynWchar fget_unicode_wc(std::FILE* stream) { return get_unicode_wc(stdio_get, stream); }
VynWchar pfa_get_unicode_wc(VynFile* file) { return get_unicode_wc(pfa_get, file); }

VynWchar put_unicode_wc(VynWchar wc, VynBytePutter putter, void* stream) {
  if (!putter) return wc;
  w32::WCHAR wide = wc;
  char bytes[4];
  int n = w32::WideCharToMultiByte(code_page(), 0, &wide, 1, bytes, sizeof bytes, nullptr,
                                   nullptr);
  if (n <= 0) {
    ivek_printf("put_unicode_wc:Error - %d\n", static_cast<int>(w32::GetLastError()));
    putter(' ', stream);
    return wc;
  }
  int b1 = static_cast<unsigned char>(bytes[0]);
  if (n == 1) {
    if (japanese() && half_width_katakana(b1)) putter(SS2, stream);
    putter(b1, stream);
  } else if (n == 2) {
    int b2 = static_cast<unsigned char>(bytes[1]);
    if (japanese()) {
      sjis2jis(&b1, &b2);
      b1 |= 0x80;
      b2 |= 0x80;
    }
    putter(b1, stream);
    putter(b2, stream);
  }
  return wc;
}

VynWchar fput_unicode_wc(VynWchar wc, std::FILE* stream) {
  return put_unicode_wc(wc, stdio_put, stream);
}
VynWchar vyn_fputwc(VynWchar wc, std::FILE* stream) { return put_unicode_wc(wc, stdio_put, stream); }
VynWchar pfa_put_unicode_wc(VynWchar wc, VynFile* file) { return put_unicode_wc(wc, pfa_put, file); }
VynWchar pfa_fputwc(VynWchar wc, VynFile* file) { return put_unicode_wc(wc, pfa_put, file); }

VynWchar vyn_fgetwc(std::FILE* stream) { return get_wc(stdio_get, stream); }
VynWchar pfa_fgetwc(VynFile* file) { return get_wc(pfa_get, file); }

VynWchar* fgetws(VynWchar* buf, int n, std::FILE* stream) {
  return get_line(buf, n, stdio_get, stream);
}
VynWchar* pfa_fgetws(VynWchar* buf, int n, VynFile* file) { return get_line(buf, n, pfa_get, file); }

int fputws(const VynWchar* ws, std::FILE* stream) {
  for (; ws && *ws; ++ws) vyn_fputwc(*ws, stream);
  return 0;
}

int pfa_fputws(const VynWchar* ws, VynFile* file) {
  for (; ws && *ws; ++ws) pfa_fputwc(*ws, file);
  return 0;
}

VynWchar* getws(VynWchar* buf, int capacity) {
  if (!buf || capacity < 1) return nullptr;
  int stored = 0;
  while (stored < capacity - 1) {
    VynWchar wc = vyn_fgetwc(stdin);
    if (wc == VYN_WEOF) {
      if (stored == 0) {
        buf[0] = 0;
        return nullptr;
      }
      break;
    }
    if (wc == u'\n') break;
    buf[stored++] = wc;
  }
  buf[stored] = 0;
  return buf;
}

VynWchar* vyn_getws_no_echo(VynWchar* buf, int capacity) {
  w32::HANDLE input = w32::GetStdHandle(w32::STD_INPUT_HANDLE);
  w32::DWORD mode = 0;
  if (!w32::GetConsoleMode(input, &mode)) return nullptr;
  if (!w32::SetConsoleMode(input, mode & ~w32::ENABLE_ECHO_INPUT)) return nullptr;
  VynWchar* line = getws(buf, capacity);
  w32::SetConsoleMode(input, mode);
  return line;
}

int putws(const VynWchar* ws) {
  for (; ws && *ws; ++ws) vyn_fputwc(*ws, stdout);
  return 0;
}

}  // namespace vek
