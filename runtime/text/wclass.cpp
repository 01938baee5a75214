#include "runtime/text/wclass.h"

#include <locale.h>
#include <wctype.h>

#include <cwctype>

#include "runtime/text/wclass_testing.h"

namespace vek {

namespace {

// The C library's UTF-8 character classes, made on first use. "C.UTF-8" is part of
// the C library's base installation, so it is there on any machine; the state records
// a failure so that it is not asked for again on every character.
enum { CLASSES_UNREAD, CLASSES_UTF8, CLASSES_CURRENT };
int classes_state = CLASSES_UNREAD;
locale_t utf8_classes;

locale_t classes() {
  if (classes_state == CLASSES_UNREAD) {
    utf8_classes = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    classes_state = utf8_classes ? CLASSES_UTF8 : CLASSES_CURRENT;
  }
  return classes_state == CLASSES_UTF8 ? utf8_classes : nullptr;
}

// One class test: in the UTF-8 locale when there is one, else in the current locale.
template <int (*InLocale)(wint_t, locale_t), int (*InCurrent)(wint_t)>
int test_class(VynWchar c) {
  const wint_t wc = static_cast<wint_t>(c);
  locale_t utf8 = classes();
  return (utf8 ? InLocale(wc, utf8) : InCurrent(wc)) != 0 ? 1 : 0;
}

}  // namespace

int wclass_alpha(VynWchar c) { return test_class<iswalpha_l, std::iswalpha>(c); }
int wclass_alnum(VynWchar c) { return test_class<iswalnum_l, std::iswalnum>(c); }
int wclass_space(VynWchar c) { return test_class<iswspace_l, std::iswspace>(c); }
int wclass_digit(VynWchar c) { return test_class<iswdigit_l, std::iswdigit>(c); }

void wclass_testing_reset() {
  if (utf8_classes) freelocale(utf8_classes);
  utf8_classes = static_cast<locale_t>(nullptr);
  classes_state = CLASSES_UNREAD;
}

}  // namespace vek
