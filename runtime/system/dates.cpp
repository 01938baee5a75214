#include "runtime/system/dates.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/clock.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/system/dates_testing.h"
#include "runtime/text/vsprintf.h"

namespace vek {

namespace {

// Days before each month, common and leap years; entry 0 is 0 so that summing 0 to m
// gives the days before month m.
constexpr int kDaysInMonth[2][13] = {
    {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};
constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerDay = 86400;

const char* const kFullMonths[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",
                                     "MAY",     "JUNE",     "JULY",      "AUGUST",
                                     "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
const char* const kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char kNoMonth[] = "???";

const VynWchar kDefaultNoteFormat[] = u"%dd-%Mmm-%yy";

// The kept date-note format (a getmem block), null for the default.
VynWchar* g_note_format = nullptr;
VynWchar g_note_format_low[DATE_NOTE_FORMAT_MAX + 1];

struct tm g_gmtime_result;
ptime g_current[2];  // GMT, local
int g_offset = 0;

// vyns_mktime's cache: the offset (mktime value minus the arithmetic GMT value) of one
// date in one zone, kept only for a date on which the zone's offset does not change.
constexpr std::size_t kZoneNameRoom = 64;
struct MktimeCache {
  bool valid;
  char zone[kZoneNameRoom];
  int mday, mon, year;
  time_t offset;
  int isdst;
};
MktimeCache g_mktime_cache;

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool is_leap(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Leap years among 1 .. year - 1 (proleptic Gregorian, continued below year 1).
std::int64_t leaps_before(std::int64_t year) {
  return floor_div(year - 1, 4) - floor_div(year - 1, 100) + floor_div(year - 1, 400);
}

std::int64_t days_before_year(std::int64_t year) {
  return 365 * (year - 1970) + leaps_before(year) - leaps_before(1970);
}

// Brings the month into 0-11, carrying whole years into *year.
int normal_month(std::int64_t* year, std::int64_t month) {
  *year += floor_div(month, 12);
  return static_cast<int>(month - floor_div(month, 12) * 12);
}

std::int64_t days_before_month(std::int64_t year, int month) {
  const int* row = kDaysInMonth[is_leap(year) ? 1 : 0];
  std::int64_t days = 0;
  for (int m = 0; m <= month; ++m) days += row[m];
  return days;
}

// Seconds since 1970 of a broken-down GMT time of any year (year in full).
std::int64_t gmt_seconds(std::int64_t year, std::int64_t month, std::int64_t mday,
                         std::int64_t hour, std::int64_t minute, std::int64_t second) {
  int m = normal_month(&year, month);
  std::int64_t days = days_before_year(year) + days_before_month(year, m) + mday - 1;
  return days * kSecondsPerDay + hour * kSecondsPerHour + minute * 60 + second;
}

std::int64_t gmt_seconds(const struct tm& tm) {
  return gmt_seconds(static_cast<std::int64_t>(tm.tm_year) + 1900, tm.tm_mon, tm.tm_mday,
                     tm.tm_hour, tm.tm_min, tm.tm_sec);
}

time_t now_seconds() { return w32::w32_clock_wall().tv_sec; }

const char* month_name(const char* const* table, int month) {
  return month >= 1 && month <= 12 ? table[month - 1] : kNoMonth;
}

int clamp_int(std::int64_t value) {
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

// --- The date-note format ---

struct Keyword {
  const char* text;
  int kind;
};
enum { kYear, kYear2, kMonUpper, kMonTitle, kMonthTitle, kMonthUpper, kMonth2, kMonth1,
       kDay2, kDay1, kDayBlank, kMonthBlank };
// In the order they are tried: a longer keyword before its prefix.
constexpr Keyword kKeywords[] = {
    {"yyyy", kYear},        {"yy", kYear2},          {"MMM", kMonUpper},
    {"Mmm", kMonTitle},     {"Month", kMonthTitle},  {"MONTH", kMonthUpper},
    {"mm", kMonth2},        {"m", kMonth1},          {"dd", kDay2},
    {"d", kDay1},           {" d", kDayBlank},       {" m", kMonthBlank},
};

// Length of the keyword that token (length characters) starts with, or 0.
const Keyword* match_keyword(const VynWchar* token, int length, int* keyword_length) {
  for (const Keyword& keyword : kKeywords) {
    int n = static_cast<int>(std::strlen(keyword.text));
    if (n > length) continue;
    int i = 0;
    while (i < n && token[i] == static_cast<VynWchar>(keyword.text[i])) ++i;
    if (i == n) {
      *keyword_length = n;
      return &keyword;
    }
  }
  return nullptr;
}

// The value of a keyword into piece; its length.
int keyword_value(int kind, int year, int month, int day, VynWchar* piece) {
  char name[16];
  switch (kind) {
    case kYear:
      return vyn_wsprintf(piece, "%d", year);
    case kYear2:
      return vyn_wsprintf(piece, "%.2d", year % 100);
    case kMonUpper:
      return vyn_wsprintf(piece, "%s", month_name(kMonths, month));
    case kMonTitle:
      std::snprintf(name, sizeof name, "%s", month_name(kMonths, month));
      for (int i = 1; i < 3 && name[i] != '\0'; ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
      return vyn_wsprintf(piece, "%s", name);
    case kMonthTitle:
      std::snprintf(name, sizeof name, "%s", month_name(kFullMonths, month));
      for (int i = 1; name[i] != '\0'; ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
      return vyn_wsprintf(piece, "%s", name);
    case kMonthUpper:
      return vyn_wsprintf(piece, "%s", month_name(kFullMonths, month));
    case kMonth2:
      return vyn_wsprintf(piece, "%.2d", month);
    case kMonth1:
      return vyn_wsprintf(piece, "%d", month);
    case kDay2:
      return vyn_wsprintf(piece, "%.2d", day);
    case kDay1:
      return vyn_wsprintf(piece, "%d", day);
    default: {
      int n = vyn_wsprintf(piece, "%.2d", kind == kDayBlank ? day : month);
      if (n > 0 && piece[0] == u'0') piece[0] = u' ';
      return n;
    }
  }
}

}  // namespace

// --- Formatting ---

int format_date_time_string(const VynWchar* format, int year, int month, int day,
                            int clock_mode, int hour, int minute, int second, VynWchar* out) {
  if (out == nullptr) return 0;
  out[0] = 0;
  if (format == nullptr && clock_mode == 0) return 0;
  int at = 0;
  if (format != nullptr) {
    int length = 0;
    while (length < DATE_NOTE_FORMAT_MAX && format[length] != 0) ++length;
    int tokens = 0;
    int i = 0;
    while (tokens < 4 && i < length) {
      if (format[i] == u'%') {
        ++i;
        continue;
      }
      int start = i;
      while (i < length && format[i] != u'%') ++i;
      ++tokens;
      int keyword_length = 0;
      const Keyword* keyword = match_keyword(format + start, i - start, &keyword_length);
      if (keyword == nullptr) continue;  // no keyword: nothing of the token is written
      VynWchar piece[16];
      int n = keyword_value(keyword->kind, year, month, day, piece);
      for (int k = 0; k < n; ++k) out[at++] = piece[k];
      for (int k = start + keyword_length; k < i; ++k) out[at++] = format[k];
    }
  }
  if (clock_mode != 0) {
    VynWchar clock[48];
    int shown = clock_mode == 12 ? hour % 12 : hour % 100;
    const char* suffix = clock_mode == 12 ? (hour / 12 != 0 ? " PM" : " AM") : "";
    if (format != nullptr) out[at++] = u' ';
    int n = vyn_wsprintf(clock, "%.2d:%.2d:%.2d%s", shown, minute, second, suffix);
    for (int k = 0; k < n; ++k) out[at++] = clock[k];
  }
  out[at] = 0;
  return 1;
}

int format_date_string(const VynWchar* format, int year, int month, int day, VynWchar* out) {
  return format_date_time_string(format, year, month, day, 0, 0, 0, 0, out);
}

int set_todays_date_note_format(int, const VynWchar* format) {
  if (format == nullptr) {
    if (g_note_format != nullptr) rlsmem(g_note_format);
    g_note_format = nullptr;
    return 0;
  }
  if (g_note_format == nullptr)
    g_note_format = static_cast<VynWchar*>(getmem((DATE_NOTE_FORMAT_MAX + 1) * sizeof(VynWchar)));
  int n = 0;
  while (n < DATE_NOTE_FORMAT_MAX && format[n] != 0) {
    g_note_format[n] = format[n];
    ++n;
  }
  g_note_format[n] = 0;
  return 0;
}

int get_todays_date_note_format(VynWchar* out) {
  if (out == nullptr) return 0;
  const VynWchar* kept = g_note_format != nullptr ? g_note_format : kDefaultNoteFormat;
  std::char_traits<VynWchar>::copy(out, kept, std::char_traits<VynWchar>::length(kept) + 1);
  return 0;
}

VynWchar* get_todays_date_note_format_low() {
  get_todays_date_note_format(g_note_format_low);
  return g_note_format_low;
}

char* date_string_low(char* out) {
  if (out == nullptr) return nullptr;
  out[0] = '\0';
  time_t now = now_seconds();
  struct tm local;
  char text[64];
  if (localtime_r(&now, &local) == nullptr || asctime_r(&local, text) == nullptr) return out;
  std::size_t length = std::strlen(text);
  if (length >= DATE_STRING_SIZE) length = DATE_STRING_SIZE - 1;
  std::memcpy(out, text, length);
  out[length] = '\0';
  if (std::strlen(out) > 8 && out[8] == ' ') out[8] = '0';
  return out;
}

namespace {

// The ctime text of now with its day made two digits; false when it is not of the
// usual 24 characters and a newline.
bool ctime_now(char* text) {
  date_string_low(text);
  return std::strlen(text) >= 24 && text[3] == ' ' && text[7] == ' ' && text[10] == ' ' &&
         text[19] == ' ';
}

}  // namespace

int date_second_string(VynWchar* out) {
  if (out == nullptr) return -1;
  out[0] = 0;
  char text[DATE_STRING_SIZE];
  if (!ctime_now(text)) return -1;
  vyn_wsprintf(out, "%2.2s-%3.3s-%2.2s %8.8s", text + 8, text + 4, text + 22, text + 11);
  return 0;
}

int date_second_string_short(VynWchar* out) {
  if (out == nullptr) return -1;
  out[0] = 0;
  char text[DATE_STRING_SIZE];
  if (!ctime_now(text)) return -1;
  char month[4] = {text[4], text[5], text[6], '\0'};
  vyn_wsprintf(out, "%.2s%.2d%.2s.%.2s%.2s%.2s", text + 22, get_month_int(month), text + 8,
               text + 11, text + 14, text + 17);
  return 0;
}

int get_num_date(int* year, int* month, int* day) {
  time_t now = now_seconds();
  struct tm local;
  if (localtime_r(&now, &local) == nullptr) return 0;
  if (year != nullptr) *year = local.tm_year + 1900;
  if (month != nullptr) *month = local.tm_mon + 1;
  if (day != nullptr) *day = local.tm_mday;
  return 0;
}

int get_month_int(char* month) {
  if (month == nullptr) return 0;
  for (char* p = month; *p != '\0'; ++p)
    *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  // The third letter is read only when the second is no terminator.
  char first = month[0];
  char second = first != '\0' ? month[1] : '\0';
  char third = second != '\0' ? month[2] : '\0';
  switch (first) {
    case 'A':
      return second == 'P' ? 4 : 8;
    case 'D':
      return 12;
    case 'F':
      return 2;
    case 'J':
      return second == 'A' ? 1 : third == 'N' ? 6 : 7;
    case 'M':
      return third == 'R' ? 3 : 5;
    case 'N':
      return 11;
    case 'O':
      return 10;
    case 'S':
      return 9;
    default:
      return 0;
  }
}

const char* get_full_month_str(int month) { return month_name(kFullMonths, month); }
const char* get_month_str(int month) { return month_name(kMonths, month); }

int vyn_tm_to_string(const vyn_tm* tm, char* out) {
  if (tm == nullptr || out == nullptr) return -1;
  char month[4];
  std::snprintf(month, sizeof month, "%s", get_month_str(tm->tm_mon + 1));
  for (int i = 1; month[i] != '\0'; ++i)
    month[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(month[i])));
  // The '0' flag beside a precision changes nothing: "%.2d" writes two digits at least.
  std::snprintf(out, VYN_TM_TEXT_SIZE, "%d-%3.3s-%2.2d %.2d:%.2d:%.2d", tm->tm_mday, month,
                tm->tm_year, tm->tm_hour, tm->tm_min, tm->tm_sec);
  return 0;
}

int string_to_vyn_tm(const char* text, vyn_tm* tm) {
  if (text == nullptr || tm == nullptr) return 0;
  int day, year, hour, minute, second;
  char month[4];
  // The year is years since 1900: three digits from 2000 on.
  if (std::sscanf(text, "%2d-%3s-%3d %2d:%2d:%2d", &day, month, &year, &hour, &minute,
                  &second) != 6)
    return 0;
  int mon = get_month_int(month);
  if (mon == 0) return 0;
  tm->tm_mday = static_cast<std::int8_t>(day);
  tm->tm_mon = static_cast<std::int8_t>(mon - 1);
  tm->tm_year = static_cast<std::int16_t>(year);
  tm->tm_hour = static_cast<std::int8_t>(hour);
  tm->tm_min = static_cast<std::int8_t>(minute);
  tm->tm_sec = static_cast<std::int8_t>(second);
  tm->tm_isdst = -1;
  tm->tm_zone = VYN_TM_NO_ZONE;
  return 1;
}

// --- Conversions ---

time_t vyns_mktime_(const struct tm* tm) {
  if (tm == nullptr || static_cast<std::int64_t>(tm->tm_year) + 1900 < 1970) return 0;
  return gmt_seconds(*tm);
}

int tm_is_leap_year(int year) { return is_leap(year) ? 1 : 0; }

int tm_get_yday(int year, int month, int day) {
  std::int64_t y = year;
  int m = normal_month(&y, month);
  return clamp_int(days_before_year(y) - days_before_year(year) + days_before_month(y, m) +
                   static_cast<std::int64_t>(day) - 1);
}

int __get_yday_(int year, int month, int day) { return tm_get_yday(year, month, day); }

time_t vyn_mktime(const vyn_tm* tm) {
  if (tm == nullptr) return -1;
  struct tm full;
  vyn_tm_to_tm(tm, &full);
  time_t value = vyns_mktime_(&full);
  if (tm->tm_zone != VYN_TM_NO_ZONE) value += 60 * static_cast<time_t>(tm->tm_zone);
  return value;
}

time_t vyn_mktime_(const vyn_tm* tm) { return vyn_mktime(tm); }

namespace {

bool fields_in_range(const struct tm& tm) {
  if (tm.tm_sec < 0 || tm.tm_sec > 59 || tm.tm_min < 0 || tm.tm_min > 59 || tm.tm_hour < 0 ||
      tm.tm_hour > 23 || tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1)
    return false;
  return tm.tm_mday <= kDaysInMonth[is_leap(static_cast<std::int64_t>(tm.tm_year) + 1900)]
                                   [tm.tm_mon + 1];
}

// Whether the zone keeps one offset from GMT over the whole local day of date: the
// same offset 14 hours before its midnight as GMT and 14 hours after the next one (no
// zone is further from GMT) stands for the day, as no zone moves its clocks there and
// back within two days.
bool one_offset_all_day(const struct tm& date, long* offset) {
  time_t midnight = static_cast<time_t>(
      gmt_seconds(static_cast<std::int64_t>(date.tm_year) + 1900, date.tm_mon, date.tm_mday,
                  0, 0, 0));
  time_t first = midnight - 14 * kSecondsPerHour;
  time_t last = midnight + kSecondsPerDay + 14 * kSecondsPerHour;
  struct tm before, after;
  if (localtime_r(&first, &before) == nullptr || localtime_r(&last, &after) == nullptr)
    return false;
  if (before.tm_gmtoff != after.tm_gmtoff || before.tm_isdst != after.tm_isdst) return false;
  *offset = before.tm_gmtoff;
  return true;
}

}  // namespace

time_t vyns_mktime(struct tm* tm) {
  if (tm == nullptr) return -1;
  const char* zone = std::getenv("TZ");
  if (zone == nullptr) zone = "";
  int wanted = tm->tm_isdst < 0 ? -1 : tm->tm_isdst > 0 ? 1 : 0;
  MktimeCache& cache = g_mktime_cache;
  bool same_zone = std::strcmp(cache.zone, zone) == 0;
  if (cache.valid && same_zone && fields_in_range(*tm) && cache.mday == tm->tm_mday &&
      cache.mon == tm->tm_mon && cache.year == tm->tm_year &&
      (wanted < 0 || wanted == cache.isdst)) {
    tm->tm_isdst = cache.isdst;
    return static_cast<time_t>(gmt_seconds(*tm)) + cache.offset;
  }
  struct tm copy = *tm;
  errno = 0;
  time_t value = mktime(&copy);
  if (value == -1 && errno != 0) return -1;
  tm->tm_isdst = copy.tm_isdst;
  // Kept only where one offset holds the whole day and the input's flag agrees with it.
  long offset = 0;
  if (fields_in_range(*tm) && (wanted < 0 || wanted == copy.tm_isdst) &&
      std::strlen(zone) < kZoneNameRoom && one_offset_all_day(*tm, &offset) &&
      offset == copy.tm_gmtoff) {
    cache.valid = true;
    std::snprintf(cache.zone, sizeof cache.zone, "%s", zone);
    cache.mday = tm->tm_mday;
    cache.mon = tm->tm_mon;
    cache.year = tm->tm_year;
    cache.offset = value - static_cast<time_t>(gmt_seconds(*tm));
    cache.isdst = copy.tm_isdst;
  }
  return value;
}

time_t vyns_timegm(struct tm* tm) {
  if (tm == nullptr) return -1;
  tm->tm_isdst = 0;
  return static_cast<time_t>(gmt_seconds(*tm));
}

struct tm* vyns_gmtime(const time_t* value) {
  if (value == nullptr) return nullptr;
  return gmtime_r(value, &g_gmtime_result);
}

double vyns_difftime(time_t a, time_t b) { return difftime(a, b); }

time_t addtime(time_t a, time_t b) {
  return static_cast<time_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

time_t set_isdst(struct tm* tm, int is_local) {
  if (tm == nullptr) return -1;
  struct tm copy = *tm;
  time_t value;
  if (is_local) {
    copy.tm_isdst = -1;
    errno = 0;
    value = mktime(&copy);
    if (value == -1 && errno != 0) return -1;
  } else {
    value = vyns_timegm(&copy);
    if (gmtime_r(&value, &copy) == nullptr) return -1;
  }
  tm->tm_wday = copy.tm_wday;
  tm->tm_yday = copy.tm_yday;
  tm->tm_isdst = copy.tm_isdst;
  return value;
}

int tm_get_local_tm(vyn_tm* out, time_t* value) {
  if (out == nullptr) return 0;
  time_t when = value != nullptr && *value != 0 ? *value : now_seconds();
  if (value != nullptr && *value == 0) *value = when;
  struct tm local;
  if (localtime_r(&when, &local) == nullptr) return 0;
  return tm_to_vyn_tm(&local, out);
}

namespace {

// The six fields every one of the records has, each cut to the target's width.
template <typename To, typename From>
void copy_date_and_clock(const From& from, To* to) {
  to->tm_sec = static_cast<decltype(to->tm_sec)>(from.tm_sec);
  to->tm_min = static_cast<decltype(to->tm_min)>(from.tm_min);
  to->tm_hour = static_cast<decltype(to->tm_hour)>(from.tm_hour);
  to->tm_mday = static_cast<decltype(to->tm_mday)>(from.tm_mday);
  to->tm_mon = static_cast<decltype(to->tm_mon)>(from.tm_mon);
  to->tm_year = static_cast<decltype(to->tm_year)>(from.tm_year);
}

}  // namespace

int tm_to_vyn_tm(const struct tm* tm, vyn_tm* out) {
  if (tm == nullptr || out == nullptr) return 0;
  copy_date_and_clock(*tm, out);
  out->tm_isdst = static_cast<std::int8_t>(tm->tm_isdst);
  out->tm_zone = VYN_TM_NO_ZONE;
  return 1;
}

int vyn_tm_to_tm(const vyn_tm* in, struct tm* tm) {
  if (in == nullptr || tm == nullptr) return 0;
  *tm = {};
  copy_date_and_clock(*in, tm);
  tm->tm_isdst = in->tm_isdst;
  tm->tm_wday = -1;
  tm->tm_yday = -1;
  return 1;
}

int tm_to_ptime_(const struct tm* tm, ptime* out, int is_local) {
  if (out == nullptr) return 0;
  struct tm zero = {};
  copy_date_and_clock(tm != nullptr ? *tm : zero, out);
  out->tm_is_local = is_local;
  return 1;
}

int ptime_to_tm_(const ptime* in, struct tm* tm, int no_lookup) {
  if (in == nullptr || tm == nullptr) return 0;
  *tm = {};
  copy_date_and_clock(*in, tm);
  // GMT knows no daylight saving; a local flag is the date's own, never another date's.
  tm->tm_isdst = in->tm_is_local ? -1 : 0;
  if (!no_lookup) set_isdst(tm, in->tm_is_local ? 1 : 0);
  return 1;
}

int ptime_copy(const ptime* source, ptime* destination) {
  if (source == nullptr || destination == nullptr) return 0;
  *destination = *source;
  return 1;
}

ptime* get_ptimt_(ptime* out, PtimeBreakDown convert, int is_local) {
  if (convert == nullptr) return nullptr;
  time_t now = now_seconds() + g_offset;
  if (now <= 0) return nullptr;
  struct tm broken;
  if (convert(&now, &broken) == nullptr) return nullptr;
  ptime* target = out != nullptr ? out : &g_current[is_local ? 1 : 0];
  tm_to_ptime_(&broken, target, is_local);
  return target;
}

ptime* ptime_current_gmt(ptime* out) { return get_ptimt_(out, gmtime_r, 0); }
ptime* ptime_current_local(ptime* out) { return get_ptimt_(out, localtime_r, 1); }

int ptime_set_offset(int seconds) {
  g_offset = seconds;
  return 0;
}

int mavrel_gmtime(ptime* out, time_t value) {
  if (out == nullptr) return 0;
  struct tm broken;
  if (gmtime_r(&value, &broken) == nullptr) return 0;
  return tm_to_ptime_(&broken, out, 0);
}

int ptime_convert_to_gmt(const ptime* source, ptime* destination) {
  return ptime_convert(PTIME_TO_GMT, source, destination);
}

int ptime_convert_to_local(const ptime* source, ptime* destination) {
  return ptime_convert(PTIME_TO_LOCAL, source, destination);
}

int ptime_convert(int direction, const ptime* source, ptime* destination) {
  if (source == nullptr || destination == nullptr) return 0;
  if (direction != PTIME_TO_LOCAL && direction != PTIME_TO_GMT) return 0;
  int target = direction == PTIME_TO_LOCAL ? 1 : 0;
  // The arithmetic holds from 1970 on. A time before 1970 is only relabelled; so is one
  // of 1 January 1970 whose conversion would fall before 1970 (or before the first
  // second). Every other time is converted, and converts back to where it started.
  bool first_day = source->tm_year == 70 && source->tm_mon == 0 && source->tm_mday == 1;
  ptime converted = {};
  int done = 0;
  if (source->tm_year >= 70) {
    done = target ? ptime_convert_func_(source, &converted, vyns_timegm, localtime_r, 1)
                  : ptime_convert_func_(source, &converted, vyns_mktime, gmtime_r, 0);
  }
  if (source->tm_year < 70 || (first_day && (!done || converted.tm_year < 70))) {
    *destination = *source;
    destination->tm_is_local = target;
    return 1;
  }
  if (done) *destination = converted;
  return done;
}

int ptime_convert_func_(const ptime* source, ptime* destination, PtimeToSeconds to_seconds,
                        PtimeBreakDown from_seconds, int is_local) {
  if (source == nullptr || destination == nullptr || to_seconds == nullptr ||
      from_seconds == nullptr)
    return 0;
  if ((source->tm_is_local != 0) == (is_local != 0)) {
    *destination = *source;
    return 1;
  }
  struct tm broken;
  ptime_to_tm_(source, &broken, 1);
  int flag = broken.tm_isdst;
  time_t value = to_seconds(&broken);
  if (broken.tm_isdst != flag) {
    // Again with the flag the first call settled on.
    flag = broken.tm_isdst;
    ptime_to_tm_(source, &broken, 1);
    broken.tm_isdst = flag;
    value = to_seconds(&broken);
  }
  if (value < 0) return 0;
  struct tm result;
  if (from_seconds(&value, &result) == nullptr) return 0;
  return tm_to_ptime_(&result, destination, is_local);
}

namespace {

int compare_fields(const ptime& a, const ptime& b) {
  const std::int32_t ptime::*fields[] = {&ptime::tm_year, &ptime::tm_mon, &ptime::tm_mday,
                                         &ptime::tm_hour, &ptime::tm_min, &ptime::tm_sec};
  for (auto field : fields) {
    std::int64_t difference = static_cast<std::int64_t>(a.*field) - b.*field;
    if (difference != 0) return clamp_int(difference);
  }
  return 0;
}

}  // namespace

int ptime_compare(const ptime* a, const ptime* b) {
  if (a == nullptr || b == nullptr) {
    dbg_crash_msg("ptime_compare", "bad parameters");
    return 0;
  }
  ptime first = *a;
  ptime second = *b;
  if ((first.tm_is_local != 0) != (second.tm_is_local != 0)) {
    ptime* local = first.tm_is_local ? &first : &second;
    ptime_convert_to_gmt(local, local);
  }
  return compare_fields(first, second);
}

int ptime_compare_(const ptime* a, const ptime* b) {
  if (a == nullptr || b == nullptr) return 0;
  if (a->tm_is_local != b->tm_is_local) {
    dbg_crash_msg("ptime_compare_", "tm_is_local should be the same for time1 and time2");
    return 0;
  }
  return compare_fields(*a, *b);
}

time_t ptime_diff(const ptime* a, const ptime* b) {
  if (a == nullptr || b == nullptr) return 0;
  return ptime_to_time_t_(a) - ptime_to_time_t_(b);
}

time_t ptime_to_time_t_(const ptime* in) {
  if (in == nullptr) return -1;
  struct tm broken;
  ptime_to_tm_(in, &broken, 1);
  return in->tm_is_local ? vyns_mktime(&broken) : vyns_timegm(&broken);
}

void dates_testing_reset() {
  if (g_note_format != nullptr) rlsmem(g_note_format);
  g_note_format = nullptr;
  g_mktime_cache = MktimeCache{};
  g_offset = 0;
}

}  // namespace vek
