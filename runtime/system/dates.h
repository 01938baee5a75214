// Dates and times: the date-note format language, month names, date strings, the
// packed time record and its text, arithmetic replacements of mktime and timegm, the
// portable time record `ptime` and its conversions between local time and GMT.
//
// "Now" is read on the layer's clock (platform/w32/clock.h), so a test's clock drives
// every date of today. Local time is the C library's, under the process's TZ.
#pragma once

#include <time.h>

#include <cstddef>
#include <cstdint>

#include "runtime/vekbase.h"

namespace vek {

// The portable time record: the first six fields of the C library's broken-down time,
// then 0 for GMT, 1 for local time.
struct ptime {
  std::int32_t tm_sec;
  std::int32_t tm_min;
  std::int32_t tm_hour;
  std::int32_t tm_mday;   // 1-31
  std::int32_t tm_mon;    // 0-11
  std::int32_t tm_year;   // since 1900
  std::int32_t tm_is_local;
};
static_assert(sizeof(ptime) == 28);

// The packed broken-down time.
struct vyn_tm {
  std::int8_t tm_sec;
  std::int8_t tm_min;
  std::int8_t tm_hour;
  std::int8_t tm_mday;
  std::int8_t tm_mon;  // 0-11
  std::int8_t tm_isdst;
  std::int16_t tm_year;  // since 1900
  std::int16_t tm_zone;  // offset in minutes; VYN_TM_NO_ZONE for none
};
static_assert(sizeof(vyn_tm) == 10);
static_assert(offsetof(vyn_tm, tm_isdst) == 5 && offsetof(vyn_tm, tm_year) == 6 &&
              offsetof(vyn_tm, tm_zone) == 8);

constexpr int VYN_TM_NO_ZONE = 9999;

// Longest date-note format kept or used, in characters.
constexpr int DATE_NOTE_FORMAT_MAX = 80;
// Room the date-note formatter's output needs, in characters with the terminator: four
// values of at most 11 characters, the format's own text, and the clock.
constexpr int DATE_NOTE_OUT_SIZE = 256;
// Room the text of a packed time record needs, in bytes with the terminator.
constexpr int VYN_TM_TEXT_SIZE = 40;
// Room date_string_low needs.
constexpr int DATE_STRING_SIZE = 27;
// Room date_second_string and date_second_string_short need, in characters.
constexpr int DATE_SECOND_STRING_SIZE = 32;

// --- Formatting ---

// Writes the date by the date-note format (at most DATE_NOTE_FORMAT_MAX characters are
// read) and, with a clock mode (12: twelve-hour, any other nonzero: 24-hour), the clock
// into out (DATE_NOTE_OUT_SIZE characters). Month 1-12, year in full. 1 when anything
// was written; 0 with out empty when neither a format nor a clock mode was given.
int format_date_time_string(const VynWchar* format, int year, int month, int day,
                            int clock_mode, int hour, int minute, int second, VynWchar* out);
int format_date_string(const VynWchar* format, int year, int month, int day, VynWchar* out);

// Keeps a copy of at most DATE_NOTE_FORMAT_MAX characters of format (null: back to the
// default, "%dd-%Mmm-%yy"); 0.
int set_todays_date_note_format(int unused, const VynWchar* format);
// The kept format or the default into out (DATE_NOTE_FORMAT_MAX + 1 characters); 0.
int get_todays_date_note_format(VynWchar* out);
// The same into a process-wide buffer, returned.
VynWchar* get_todays_date_note_format_low();

// Now in local time as "05-Mar-04 12:30:00" / "040305.123000" into out
// (DATE_SECOND_STRING_SIZE characters); 0, or -1 for a null out.
int date_second_string(VynWchar* out);
int date_second_string_short(VynWchar* out);
// The C library's ctime text of now (with its newline), a blank before a one-digit day
// made "0", into out (DATE_STRING_SIZE bytes); out, or null for a null out.
char* date_string_low(char* out);
// Today's year (in full), month (1-12) and day; each out may be null. 0.
int get_num_date(int* year, int* month, int* day);

// The month (1-12) of an abbreviation, told by its first letters; 0 for none. The text
// is upper-cased in place. 0 for null.
int get_month_int(char* month);
// "JANUARY" ... "DECEMBER" / "JAN" ... "DEC" for 1-12, else "???".
const char* get_full_month_str(int month);
const char* get_month_str(int month);

// "5-Mar-104 12:30:00" (years since 1900) into out (VYN_TM_TEXT_SIZE bytes); 0, -1
// for null arguments.
int vyn_tm_to_string(const vyn_tm* tm, char* out);
// Reads the text vyn_tm_to_string writes (a year of up to three digits); the record
// gets no zone and an unknown (-1) daylight-saving flag. 1 when all six fields were
// read and the month is known, else 0 with the record untouched.
int string_to_vyn_tm(const char* text, vyn_tm* tm);

// --- Conversions ---

// Seconds since 1970 of a broken-down time read as GMT, by arithmetic; fields beyond
// their ranges carry over as in timegm. 0 for years before 1970 and for null.
time_t vyns_mktime_(const struct tm* tm);
// Day of the year (0-based) of a year in full, month 0-11 and day.
int __get_yday_(int year, int month, int day);
int tm_get_yday(int year, int month, int day);
// 1 for a Gregorian leap year (year in full).
int tm_is_leap_year(int year);
// vyns_mktime_ of the packed record, plus 60 x its zone offset unless that is none.
// -1 for null.
time_t vyn_mktime(const vyn_tm* tm);
time_t vyn_mktime_(const vyn_tm* tm);
// A broken-down local time in seconds since 1970, as the C library's mktime answers
// it; sets tm_isdst as mktime does. Dates on which the zone's offset stays the same are
// served from a one-date cache. -1 for null or a time mktime cannot give.
time_t vyns_mktime(struct tm* tm);
// A broken-down GMT time in seconds since 1970, by arithmetic (as timegm, for any
// year); sets tm_isdst to 0. -1 for null.
time_t vyns_timegm(struct tm* tm);
// The C library's gmtime, into a process-wide record; null for null.
struct tm* vyns_gmtime(const time_t* value);
double vyns_difftime(time_t a, time_t b);
time_t addtime(time_t a, time_t b);
// Fills tm_wday, tm_yday and tm_isdst of a local (is_local 1) or GMT time and returns
// its seconds since 1970; -1 for null.
time_t set_isdst(struct tm* tm, int is_local);
// Local time of *value, or of now when value is null or *value 0 (then written back).
// 1, 0 on failure.
int tm_get_local_tm(vyn_tm* out, time_t* value);
// Copy the fields: the packed record gets no zone; the standard one gets weekday and
// day of year -1. 1, 0 for null.
int tm_to_vyn_tm(const struct tm* tm, vyn_tm* out);
int vyn_tm_to_tm(const vyn_tm* in, struct tm* tm);

// Copies the six fields (zeros for a null tm) and sets the flag. 1, 0 for a null out.
int tm_to_ptime_(const struct tm* tm, ptime* out, int is_local);
// Copies the fields; tm_isdst is 0 for GMT, and for local time looked up through
// set_isdst unless no_lookup (then -1). 1, 0 for null.
int ptime_to_tm_(const ptime* in, struct tm* tm, int no_lookup);
// Copies 7 words; 1, 0 for null.
int ptime_copy(const ptime* source, ptime* destination);

// Now, plus the offset of ptime_set_offset, as GMT or local time into out, or into a
// process-wide record for a null out; returns it, null when the clock gives no positive
// time.
ptime* ptime_current_gmt(ptime* out);
ptime* ptime_current_local(ptime* out);
typedef struct tm* (*PtimeBreakDown)(const time_t* value, struct tm* result);
ptime* get_ptimt_(ptime* out, PtimeBreakDown convert, int is_local);
// Seconds added to now by ptime_current_*; 0.
int ptime_set_offset(int seconds);
// The GMT record (flag 0) of a time value: 1, 0 for null or a value gmtime cannot
// break down.
int mavrel_gmtime(ptime* out, time_t value);

constexpr int PTIME_TO_LOCAL = 1;
constexpr int PTIME_TO_GMT = 2;
int ptime_convert_to_gmt(const ptime* source, ptime* destination);
int ptime_convert_to_local(const ptime* source, ptime* destination);
// 1 converted or copied; 0 for null, an unknown direction or a failed conversion.
// Times before 1970, and times of 1 January 1970 whose conversion would fall before it,
// are copied with the target's flag.
int ptime_convert(int direction, const ptime* source, ptime* destination);
typedef time_t (*PtimeToSeconds)(struct tm* tm);
int ptime_convert_func_(const ptime* source, ptime* destination, PtimeToSeconds to_seconds,
                        PtimeBreakDown from_seconds, int is_local);
// The first nonzero difference of year, month, day, hour, minute, second, the local
// side turned into GMT when the flags differ. 0 (with a report) for null.
int ptime_compare(const ptime* a, const ptime* b);
// The same for records of one flag; 0 (with a report) when the flags differ.
int ptime_compare_(const ptime* a, const ptime* b);
// Seconds of a minus b; 0 when either is null.
time_t ptime_diff(const ptime* a, const ptime* b);
// Seconds since 1970; -1 for null.
time_t ptime_to_time_t_(const ptime* in);

}  // namespace vek
