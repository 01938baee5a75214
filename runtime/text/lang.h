// The process's current language and the locale table.
//
// The language is taken from the environment (VYN_LANG, else LANG) on first use unless
// somebody set it. Every language-dependent path asks get_language() at the time of
// the call, so a set_language() takes effect at once.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// Language ids.
enum : int {
  LANG_ENGLISH = 0,
  LANG_JAPANESE = 1,
  LANG_FRENCH = 2,
  LANG_GERMAN = 3,
  LANG_RUSSIAN = 4,
  LANG_ITALIAN = 5,
  LANG_GENERIC_MULTIBYTE = 6,
  LANG_SPANISH = 7,
  LANG_KOREAN = 8,
  LANG_CHINESE_TRADITIONAL = 9,
  LANG_CHINESE_SIMPLIFIED = 10,
  LANG_GENERIC_SINGLE_BYTE = 11,
  LANG_HEBREW = 12,
};

// Longest locale name the table holds, terminator included.
constexpr int LANG_LOCALE_NAME_SIZE = 64;

// Room get_generic_lang_text_dir() needs in its buffer.
constexpr int LANG_TEXT_DIR_SIZE = 32;

// Stores the language (marking it set) and switches the EUC conversions on for
// Japanese; returns the previous id, -1 before any.
int set_language(int id);
// The current language; taken from the environment on first use when nobody set it.
int get_language();
// Takes the language and the C library's locale from the environment. Returns the id
// that the name gave: the id, -1 for a name not in the table, -2 for a blank one, 0
// without a variable. The numeric locale is "C" afterwards in every case.
int set_local();
// The language variable's value (VYN_LANG when usable, which is then also put into the
// environment as LANG; else LANG), in a static buffer overwritten by the next call; null
// when neither is set.
const char* vyn_get_lang_env();

// The locale table's id for a name (ignoring case): -1 for null or an unknown name, -2
// for a name of blanks and control bytes only (bytes 128 to 255 count as such).
int lang_id_by_name(const char* name);
// The first locale name of an id, "" for an unknown id. The text lives in the table:
// it stays valid until the table is loaded again.
const char* lang_name_by_id(int id);
int is_valid_language(int id);
int is_generic_language(int id);
int is_multibyte_language(int id);
int is_righttoleft_language(int id);
// Code page of a language (0: the system code page); -1 asks for the current language.
int lang_get_code_page(int id);

// 6 when CUSTOM_LOCALE_IS_MULTIBYTE is "true" in any case (read once), else 11.
int get_generic_lang_id();
// For a generic current language: copies CUSTOM_LOCALE_TEXT_DIR (1 to 31 characters)
// into buf, which has LANG_TEXT_DIR_SIZE bytes, and returns 1; otherwise 0.
int get_generic_lang_text_dir(char* buf);

// Puts LANG back to the English locale name and runs set_local().
int reset_language();
// Forces English for the process (environment, C library locale and language);
// returns set_local()'s result.
int lang_set_force_english();
int lang_get_force_english();
int set_lang_propagate(int value);
int get_lang_propagate();

// The language recorded for data being saved; set returns the previous value.
int set_ugc_lang_id(int id);
int get_ugc_lang_id();
// Prepare the session before reading / saving data of the language file_id. The result
// of the locale switch that ran, 0 when none did.
int set_ugc_ret_lang_env(int file_id);
int set_ugc_save_lang_env(int file_id);
// Switches to a multibyte language with its locale: 1 on success, 0 for an id without
// a locale or a locale the C library refuses. Id 6 needs no switch: 1, nothing changed.
int set_ugc_mb_lang_env(int id);
// Locale "C" and English; return the previous id.
int set_ugc_eng_lang_env();
int set_lang_env();

// 1 for a right-to-left byte (224 to 250); with check = 1 only in a Hebrew session.
int isrtol(unsigned char byte, int check);
// The same test on the character's narrow form in the current language.
int iswrtol(VynWchar wc, int check);

// Japanese: text converted from Shift_JIS to EUC into a static buffer (overwritten by
// the next call, cut at its capacity); other languages: text itself. chars and bytes
// receive the character and byte counts of *out. 1 when the conversion was cut short,
// else 0.
int localize_string(const char* text, const char** out, int* chars, int* bytes);

// Builds the locale table; 1 when built, 0 when it existed already or failed.
int lang_locale_init();
// Loads "<VYN_DIRECTORY>\text\vyn_i18n.res" into the locale table (appended when
// append is nonzero); langLoadExtTbl's result, -1 when VYN_DIRECTORY is unset or the
// path too long.
int lang_init(int append);
// Reads the locale names of the resource file's [LOCALE] {WINDOWS} section into the
// table: 0, 100 for a null path, -1 when the file cannot be opened.
int langLoadExtTbl(const char* path, int append);

}  // namespace vek
