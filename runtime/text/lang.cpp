#include "runtime/text/lang.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/xar.h"
#include "runtime/text/lang_testing.h"
#include "runtime/text/strutil.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

// One row of the locale table. Its 68 bytes are the table's element size.
struct LangLocale {
  char name[LANG_LOCALE_NAME_SIZE];
  int id;
};
static_assert(sizeof(LangLocale) == 68);

constexpr int LOCALE_TABLE_STEP = 8;

// The rows lang_locale_init starts the table with. Lookups take the first match, so
// "usascii" names 0 and ids 0, 6 and 11 all give "usascii".
constexpr LangLocale DEFAULT_LOCALES[] = {
    {"usascii", LANG_ENGLISH},
    {"C", LANG_ENGLISH},
    {"japanese", LANG_JAPANESE},
    {"french", LANG_FRENCH},
    {"german", LANG_GERMAN},
    {"russian", LANG_RUSSIAN},
    {"ru", LANG_RUSSIAN},
    {"italian", LANG_ITALIAN},
    {"spanish", LANG_SPANISH},
    {"usascii", LANG_GENERIC_MULTIBYTE},
    {"korean", LANG_KOREAN},
    {"chinese_tw", LANG_CHINESE_TRADITIONAL},
    {"chinese_cn", LANG_CHINESE_SIMPLIFIED},
    {"usascii", LANG_GENERIC_SINGLE_BYTE},
    {"hebrew", LANG_HEBREW},
    {"cht", LANG_CHINESE_TRADITIONAL},
    {"chinese-traditional", LANG_CHINESE_TRADITIONAL},
    {"chs", LANG_CHINESE_SIMPLIFIED},
    {"chinese-simplified", LANG_CHINESE_SIMPLIFIED},
    {"hebrew", LANG_HEBREW},
};

// Language names of the resource file, matched exactly.
constexpr LangLocale locale_id_table[] = {
    {"ENGLISH", LANG_ENGLISH},
    {"C", LANG_ENGLISH},
    {"JAPANESE", LANG_JAPANESE},
    {"FRENCH", LANG_FRENCH},
    {"GERMAN", LANG_GERMAN},
    {"RUSSIAN", LANG_RUSSIAN},
    {"ITALIAN", LANG_ITALIAN},
    {"SPANISH", LANG_SPANISH},
    {"GENERIC_LANG", LANG_GENERIC_MULTIBYTE},
    {"KOREAN", LANG_KOREAN},
    {"CHINESE_TW", LANG_CHINESE_TRADITIONAL},
    {"CHINESE_CN", LANG_CHINESE_SIMPLIFIED},
    {"GENERIC_LANG_SB", LANG_GENERIC_SINGLE_BYTE},
    {"HEBREW", LANG_HEBREW},
};

// The platform section of the resource file.
constexpr char vyn_machine[] = "{WINDOWS}";

// Locales of the multibyte languages that set_ugc_mb_lang_env switches to.
struct MbLocale {
  int id;
  const char* locale;
};
constexpr MbLocale MB_LOCALES[] = {
    {LANG_JAPANESE, "japanese"},
    {LANG_KOREAN, "korean"},
    {LANG_CHINESE_TRADITIONAL, "cht"},
    {LANG_CHINESE_SIMPLIFIED, "chs"},
};

// Longest value of the language variable kept, terminator included; a longer one is
// cut (no locale name comes near it).
constexpr int LANG_ENV_SIZE = 260;
// Resource-file lines are read 81 characters at a time.
constexpr int RES_LINE_SIZE = 82;
// Capacity of localize_string's buffer.
constexpr int LOCALIZE_SIZE = 520;
constexpr int PATH_SIZE = 260;

int language_id = -1;
int preset_flag;
int lang_propagate = 1;
int ugc_language_id = -1;
int generic_mb_checked;
int generic_mb;
int force_english;
LangLocale* locale_table;  // growable array, null until built
int num_of_lang;

char lang_env_value[LANG_ENV_SIZE];
char localized[LOCALIZE_SIZE];

// putenv keeps these very buffers in the environment, so they are static and never
// hold anything but their variable's current text.
char lang_env_text[sizeof "LANG=" - 1 + LANG_ENV_SIZE];
char force_lang_text[] = "LANG=C";
char force_lc_all_text[] = "LC_ALL=C";
char force_vyn_lang_text[] = "VYN_LANG=C";

// The table, built on first use.
LangLocale* table() {
  if (!locale_table) lang_locale_init();
  return locale_table;
}

// Puts "LANG=<value>" into the environment from the static buffer.
void put_lang_env(const char* value) {
  std::snprintf(lang_env_text, sizeof lang_env_text, "LANG=%s", value);
  putenv(lang_env_text);
}

int is_blank_name(const char* name) {
  // Plain char comparison: bytes 128 to 255 are negative and count as blanks.
  for (const char* p = name; *p; ++p) {
    if (static_cast<signed char>(*p) >= 33) return 0;
  }
  return 1;
}

// A variable's value when it has 1 to max characters, else null.
const char* short_env(const char* variable, std::size_t max) {
  const char* value = std::getenv(variable);
  if (!value) return nullptr;
  std::size_t n = std::strlen(value);
  return n >= 1 && n <= max ? value : nullptr;
}

// The language of a resource-file name, -1 when it has none.
int resource_language_id(const char* name) {
  for (const LangLocale& row : locale_id_table) {
    if (std::strcmp(row.name, name) == 0) return row.id;
  }
  return -1;
}

int starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// 1 when the line holds c and the text from it begins with tag.
int has_tag(const char* line, char c, const char* tag) {
  const char* at = std::strchr(line, c);
  return at && starts_with(at, tag);
}

// Reads the next line that is not a comment; 0 at the end of the file or on a failure.
int next_line(VynFile* file, char* line) {
  int count = 0;
  do {
    if (pfa_fgets(file, RES_LINE_SIZE, &count, line) != PFA_E_NO_ERROR) return 0;
  } while (line[0] == '!');
  return 1;
}

// Appends the language and locale of one {WINDOWS} line: "<language> <locale>". The
// line ends at its line feed, or at the carriage return of a file with CRLF line ends.
void load_locale_line(char* line, const char* path) {
  line[std::strcspn(line, "\r\n")] = '\0';
  char* save = nullptr;
  const char* language_name = strtok_r(line, " \t", &save);
  const char* locale_name = language_name ? strtok_r(nullptr, " \t", &save) : nullptr;
  if (!locale_name) return;
  int id = resource_language_id(language_name);
  if (id < 0) {
    ivek_printf("Unrecognized language \"%s\" in %s.\n", language_name, path);
    return;
  }
  LangLocale row = {};
  copy_cut(row.name, locale_name, sizeof row.name);
  row.id = id;
  xar_append(&locale_table, 1, &row);
}

}  // namespace

int set_language(int id) {
  int previous = language_id;
  preset_flag = 1;
  language_id = id;
  set_japanese_for_wchar_conv(id == LANG_JAPANESE ? 1 : 0);
  return previous;
}

int get_language() {
  if (!preset_flag) set_local();
  return language_id;
}

const char* vyn_get_lang_env() {
  const char* value = std::getenv("VYN_LANG");
  if (value && lang_id_by_name(value) == -2) {
    vyn_printf("WANRNING: VYN_LANG=%s is an invalid setting.\n", value);
    value = nullptr;
  }
  if (value) {
    put_lang_env(value);
  } else {
    value = std::getenv("LANG");
  }
  if (!value) return nullptr;
  copy_cut(lang_env_value, value, sizeof lang_env_value);
  return lang_env_value;
}

int set_local() {
  set_language(LANG_ENGLISH);
  // Table names always fit the name field.
  char default_name[LANG_LOCALE_NAME_SIZE];
  vyn_cnvrt_to_upper(lang_name_by_id(LANG_ENGLISH), default_name);

  int id = 0;
  const char* name = vyn_get_lang_env();
  if (!name) {
    if (get_run_mode() != 0) {
      ivek_printf("\nWARNING: LANG environment is not set. Using default (%s).\n",
                  default_name);
    }
  } else {
    id = lang_id_by_name(name);
    if (id == -2 || force_english) {
      std::setlocale(LC_ALL, "C");
      set_language(LANG_ENGLISH);
    } else if (id >= 0) {
      set_language(id);
      std::setlocale(LC_ALL, name);
    } else {
      // A locale the table does not know may still be one the C library knows.
      std::setlocale(LC_ALL, name);
      set_language(get_generic_lang_id());
    }
  }
  // Numbers are always written with a point.
  std::setlocale(LC_NUMERIC, "C");
  return id;
}

int lang_id_by_name(const char* name) {
  const LangLocale* rows = table();
  if (!name) return -1;
  if (is_blank_name(name)) return -2;
  for (int i = 0; i < num_of_lang; ++i) {
    if (strcasecmp(rows[i].name, name) == 0) return rows[i].id;
  }
  return -1;
}

const char* lang_name_by_id(int id) {
  const LangLocale* rows = table();
  for (int i = 0; i < num_of_lang; ++i) {
    if (rows[i].id == id) return rows[i].name;
  }
  return "";
}

int is_valid_language(int id) {
  const LangLocale* rows = table();
  for (int i = 0; i < num_of_lang; ++i) {
    if (rows[i].id == id) return 1;
  }
  return 0;
}

int is_generic_language(int id) {
  return id == LANG_GENERIC_MULTIBYTE || id == LANG_GENERIC_SINGLE_BYTE;
}

int is_multibyte_language(int id) {
  switch (id) {
    case LANG_JAPANESE:
    case LANG_GENERIC_MULTIBYTE:
    case LANG_KOREAN:
    case LANG_CHINESE_TRADITIONAL:
    case LANG_CHINESE_SIMPLIFIED:
      return 1;
    default:
      return 0;
  }
}

int is_righttoleft_language(int id) { return id == LANG_HEBREW; }

int lang_get_code_page(int id) {
  if (id == -1) id = get_language();
  switch (id) {
    case LANG_JAPANESE: return 932;
    case LANG_RUSSIAN: return 1251;
    case LANG_KOREAN: return 949;
    case LANG_CHINESE_TRADITIONAL: return 950;
    case LANG_CHINESE_SIMPLIFIED: return 936;
    case LANG_HEBREW: return 28598;
    default: return 0;
  }
}

int get_generic_lang_id() {
  if (!generic_mb_checked) {
    generic_mb_checked = 1;
    if (const char* value = short_env("CUSTOM_LOCALE_IS_MULTIBYTE", 31)) {
      generic_mb = strcasecmp(value, "true") == 0 ? 1 : 0;
    }
  }
  return generic_mb ? LANG_GENERIC_MULTIBYTE : LANG_GENERIC_SINGLE_BYTE;
}

int get_generic_lang_text_dir(char* buf) {
  if (!buf || !is_generic_language(get_language())) return 0;
  const char* value = short_env("CUSTOM_LOCALE_TEXT_DIR", LANG_TEXT_DIR_SIZE - 1);
  if (!value) return 0;
  std::strcpy(buf, value);
  return 1;
}

int reset_language() {
  put_lang_env(lang_name_by_id(LANG_ENGLISH));
  return set_local();
}

int lang_set_force_english() {
  putenv(force_lang_text);
  putenv(force_lc_all_text);
  putenv(force_vyn_lang_text);
  std::setlocale(LC_ALL, "C");
  set_language(LANG_ENGLISH);
  force_english = 0;
  int result = set_local();
  force_english = 1;
  return result;
}

int lang_get_force_english() { return force_english; }

int set_lang_propagate(int value) {
  int previous = lang_propagate;
  lang_propagate = value;
  return previous;
}

int get_lang_propagate() { return lang_propagate; }

int set_ugc_lang_id(int id) {
  int previous = ugc_language_id;
  ugc_language_id = id;
  return previous;
}

int get_ugc_lang_id() { return ugc_language_id; }

int set_ugc_mb_lang_env(int id) {
  if (id == LANG_GENERIC_MULTIBYTE) return 1;
  for (const MbLocale& row : MB_LOCALES) {
    if (row.id != id) continue;
    if (!std::setlocale(LC_ALL, row.locale)) return 0;
    set_language(id);
    std::setlocale(LC_NUMERIC, "C");
    return 1;
  }
  return 0;
}

int set_ugc_eng_lang_env() {
  std::setlocale(LC_ALL, "C");
  return set_language(LANG_ENGLISH);
}

int set_lang_env() { return set_ugc_eng_lang_env(); }

namespace {

// From an English session to a multibyte target, falling back to English when the
// target's locale cannot be set; 0 for any other target.
int switch_from_english(int target) {
  if (!is_multibyte_language(target)) return 0;
  int result = set_ugc_mb_lang_env(target);
  return result ? result : set_ugc_eng_lang_env();
}

int target_language(int file_id, int current) {
  return is_valid_language(file_id) ? file_id : current;
}

}  // namespace

int set_ugc_ret_lang_env(int file_id) {
  int current = get_language();
  int target = target_language(file_id, current);
  if (target == current) return 0;
  if (current != LANG_ENGLISH) {
    ivek_printf(
        "Warning:: Loading a non-english file into another non-english session\n"
        "The data integrity is not guranteed\n");
    return 0;
  }
  return switch_from_english(target);
}

int set_ugc_save_lang_env(int file_id) {
  int current = get_language();
  int target = target_language(file_id, current);
  int result = 0;
  if (target == current) {
    ugc_language_id = target;
  } else if (current == LANG_ENGLISH) {
    result = switch_from_english(target);
    ugc_language_id = target;
  } else {
    ivek_printf(
        "Warning:: A non-english file is saved under a non-english session\n"
        "Data integrity is not guaranteed\n");
    ugc_language_id = file_id != 0 && lang_propagate == 0 ? target : current;
  }
  return result;
}

int isrtol(unsigned char byte, int check) {
  if (check == 1 && get_language() != LANG_HEBREW) return 0;
  return byte >= 224 && byte <= 250 ? 1 : 0;
}

int iswrtol(VynWchar wc, int check) {
  const VynWchar wide[2] = {wc, 0};
  char narrow[wstostr_room(1)] = {};
  wstostr(narrow, wide);
  return isrtol(static_cast<unsigned char>(narrow[0]), check);
}

int localize_string(const char* text, const char** out, int* chars, int* bytes) {
  const char* result = text;
  int count = -1;
  int overflow = 0;
  if (text && get_language() == LANG_JAPANESE) {
    overflow = sjis_to_euc(text, LOCALIZE_SIZE, localized, &count);
    result = localized;
  }
  int length = result ? static_cast<int>(std::strlen(result)) : 0;
  if (out) *out = result;
  if (bytes) *bytes = length;
  if (chars) *chars = count >= 0 ? count : length;
  return overflow;
}

int lang_locale_init() {
  if (locale_table) {
    ivek_printf("lang_locale_init: The locale table is already initialized!\n");
    return 0;
  }
  constexpr int rows = static_cast<int>(sizeof DEFAULT_LOCALES / sizeof DEFAULT_LOCALES[0]);
  locale_table = static_cast<LangLocale*>(
      xar_alloc(0, static_cast<int>(sizeof(LangLocale)), LOCALE_TABLE_STEP));
  if (!locale_table) {
    dbg_err_syserr("lang_locale_init:", "Mem alloc failed for locale_table!");
    return 0;
  }
  xar_append(&locale_table, rows, DEFAULT_LOCALES);
  num_of_lang = xar_count(&locale_table);
  return 1;
}

int lang_init(int append) {
  const char* directory = std::getenv("VYN_DIRECTORY");
  if (!directory) return -1;
  char path[PATH_SIZE];
  int n = std::snprintf(path, sizeof path, "%s\\text\\vyn_i18n.res", directory);
  if (n < 0 || n >= static_cast<int>(sizeof path)) return -1;
  return langLoadExtTbl(path, append);
}

int langLoadExtTbl(const char* path, int append) {
  if (!path) return 100;
  VynFile* file = pfa_fopen_file_vers(path, "r", 0);
  if (!file) {
    ivek_printf("langLoadExtTbl: File \"%s\" could not be opened.\n", path);
    return -1;
  }
  table();
  if (!append) xar_resize(&locale_table, 0);

  char line[RES_LINE_SIZE];
  int in_section = 0;
  while (!in_section && next_line(file, line)) in_section = has_tag(line, '[', "[LOCALE]");
  int in_machine = 0;
  while (in_section && !in_machine && next_line(file, line)) {
    if (line[0] == '[' || line[0] == ']') break;
    in_machine = has_tag(line, '{', vyn_machine);
  }
  while (in_machine && next_line(file, line) && !std::strpbrk(line, "[]{}")) {
    load_locale_line(line, path);
  }

  num_of_lang = xar_count(&locale_table);
  pfa_dispose(&file);
  return 0;
}

void lang_testing_reset() {
  // The environment may still point at the static buffers; they keep their text.
  language_id = -1;
  preset_flag = 0;
  lang_propagate = 1;
  ugc_language_id = -1;
  generic_mb_checked = 0;
  generic_mb = 0;
  force_english = 0;
  locale_table = nullptr;
  num_of_lang = 0;
  lang_env_value[0] = '\0';
  localized[0] = '\0';
  set_japanese_for_wchar_conv(0);
  std::setlocale(LC_ALL, "C");
}

int lang_testing_locale_count() { return locale_table ? xar_count(&locale_table) : 0; }

const char* lang_testing_locale_row(int i, int* id) {
  *id = locale_table[i].id;
  return locale_table[i].name;
}

}  // namespace vek
