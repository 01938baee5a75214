// Dates and times, against the C library under three POSIX zone rules.
#include "runtime/system/dates.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <time.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "platform/w32/clock_testing.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"

namespace {

using std::u16string;

const char* const kZones[] = {"CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "UTC0"};

// TZ set for the length of a scope; the zone the process had is back afterwards.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) : env_(std::in_place, "TZ", zone) { tzset(); }
  ~ZoneScope() {
    env_.reset();
    tzset();
  }

 private:
  std::optional<yrltest::ScopedEnv> env_;
};

std::string narrow(const char16_t* w) {
  std::string s;
  for (; *w != 0; ++w) s += static_cast<char>(*w);
  return s;
}

std::string format(const char16_t* fmt, int year, int month, int day, int clock = 0,
                   int hour = 0, int minute = 0, int second = 0) {
  char16_t out[vek::DATE_NOTE_OUT_SIZE];
  vek::format_date_time_string(fmt, year, month, day, clock, hour, minute, second, out);
  return narrow(out);
}

// A broken-down time: year in full, month 1-12.
struct tm fields(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                 int isdst = 0) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = isdst;
  return t;
}

struct tm gmt(time_t t) {
  struct tm r;
  gmtime_r(&t, &r);
  return r;
}

struct tm local(time_t t) {
  struct tm r;
  localtime_r(&t, &r);
  return r;
}

vek::ptime to_ptime(const struct tm& t, int is_local) {
  vek::ptime p;
  vek::tm_to_ptime_(&t, &p, is_local);
  return p;
}

::testing::AssertionResult same_fields(const vek::ptime& p, const struct tm& t, int is_local) {
  if (p.tm_sec == t.tm_sec && p.tm_min == t.tm_min && p.tm_hour == t.tm_hour &&
      p.tm_mday == t.tm_mday && p.tm_mon == t.tm_mon && p.tm_year == t.tm_year &&
      p.tm_is_local == is_local)
    return ::testing::AssertionSuccess();
  char text[64];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &t);
  return ::testing::AssertionFailure()
         << "ptime " << p.tm_year + 1900 << "-" << p.tm_mon + 1 << "-" << p.tm_mday << " "
         << p.tm_hour << ":" << p.tm_min << ":" << p.tm_sec << " flag " << p.tm_is_local
         << ", wanted " << text << " flag " << is_local;
}

// Random instants from 3 January 1970 to the end of 2100 (earlier dates are only
// flagged by the conversions), seeded for repeatable runs.
class Instants {
 public:
  time_t next() { return dist_(gen_); }

 private:
  std::mt19937_64 gen_{20261211};
  std::uniform_int_distribution<time_t> dist_{2 * 86400, 4133980799};
};

// The local midnights of the days on which each zone rule moves its clocks in 2026
// (UTC0 never does; its days are plain days there).
struct ChangeDay {
  int year, month, day;
};
const ChangeDay kChangeDays[] = {{2026, 3, 29}, {2026, 10, 25}, {2026, 3, 8}, {2026, 11, 1},
                                 {1999, 3, 28}, {2099, 10, 25}};

class Dates : public yrltest::RuntimeTest {};

// --- The date-note format ---

TEST_F(Dates, NoteFormatKeywordsAndTokens) {
  struct Case {
    const char16_t* format;
    int year, month, day;
    const char* expected;
  } cases[] = {
      {u"%dd-%Mmm-%yy", 2004, 3, 5, "05-Mar-04"},
      {u"%dd-%Mmm-%yy", 2026, 12, 9, "09-Dec-26"},
      {u"% d.% m.%yyyy", 2004, 3, 5, " 5. 3.2004"},
      {u"% d.% m.%yyyy", 2004, 11, 25, "25.11.2004"},
      {u"%Month %d, %yyyy", 2004, 3, 5, "March 5, 2004"},
      {u"%MMM/%MONTH/%mm/%m", 2004, 9, 5, "SEP/SEPTEMBER/09/9"},
      {u"%yy", 2000, 1, 1, "00"},
      // A fifth token is ignored; so is a token that starts with no keyword, text and all.
      {u"%d-%d-%d-%d-%d", 2004, 3, 5, "5-5-5-5-"},
      {u"Date: %dd", 2004, 3, 5, "05"},
      {u"%x-%dd%%", 2004, 3, 5, "05"},
      {u"%y%dd", 2004, 3, 5, "05"},
      // Longest keyword first; a month outside 1-12 has no name.
      {u"%Monthly", 2004, 3, 5, "Marchly"},
      {u"%MMM %Mmm %Month %MONTH", 2004, 13, 5, "??? ??? ??? ???"},
      {u"%mm%m", 2004, 0, 5, "000"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(format(c.format, c.year, c.month, c.day), c.expected) << narrow(c.format);
}

TEST_F(Dates, NoteFormatReadsEightyCharactersOfTheFormat) {
  u16string fmt = u"%dd" + u16string(77, u'x') + u"%yy";
  EXPECT_EQ(format(fmt.c_str(), 2004, 3, 5), "05" + std::string(77, 'x'));
}

TEST_F(Dates, NoteKeywordsAgreeWithStrftime) {
  locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  ASSERT_NE(c_locale, nullptr);
  struct Pair {
    const char16_t* keyword;
    const char* strftime_format;
    bool upper;
  } pairs[] = {
      {u"%yyyy", "%Y", false}, {u"%yy", "%y", false},    {u"%MMM", "%b", true},
      {u"%Mmm", "%b", false},  {u"%Month", "%B", false}, {u"%MONTH", "%B", true},
      {u"%mm", "%m", false},   {u"%m", "%-m", false},    {u"%dd", "%d", false},
      {u"%d", "%-d", false},   {u"% d", "%e", false},    {u"% m", "%_m", false},
  };
  for (int year = 1900; year < 2100; ++year) {
    for (int month = 1; month <= 12; ++month) {
      struct tm t = {};
      t.tm_year = year - 1900;
      t.tm_mon = month - 1;
      t.tm_mday = 1 + (year * 12 + month) % 28;
      for (const Pair& p : pairs) {
        char reference[32];
        strftime_l(reference, sizeof reference, p.strftime_format, &t, c_locale);
        if (p.upper)
          for (char* q = reference; *q; ++q) *q = static_cast<char>(std::toupper(*q));
        ASSERT_EQ(format(p.keyword, year, month, t.tm_mday), reference)
            << narrow(p.keyword) << " " << year << "-" << month;
      }
    }
  }
  freelocale(c_locale);
}

TEST_F(Dates, NoteClockModes) {
  struct Case {
    const char16_t* format;
    int mode, hour, minute, second;
    const char* expected;
  } cases[] = {
      {nullptr, 12, 0, 5, 9, "00:05:09 AM"},
      {nullptr, 12, 12, 30, 0, "00:30:00 PM"},
      {nullptr, 12, 13, 0, 0, "01:00:00 PM"},
      {nullptr, 24, 13, 0, 0, "13:00:00"},
      {nullptr, 1, 123, 4, 5, "23:04:05"},
      {u"%dd-%Mmm-%yy", 24, 13, 0, 0, "05-Mar-04 13:00:00"},
      {u"%dd-%Mmm-%yy", 12, 23, 59, 59, "05-Mar-04 11:59:59 PM"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(format(c.format, 2004, 3, 5, c.mode, c.hour, c.minute, c.second), c.expected);

  char16_t out[vek::DATE_NOTE_OUT_SIZE] = u"stale";
  EXPECT_EQ(vek::format_date_time_string(nullptr, 2004, 3, 5, 0, 1, 2, 3, out), 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(vek::format_date_string(u"", 2004, 3, 5, out), 1);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(vek::format_date_string(u"%dd", 2004, 3, 5, nullptr), 0);
}

TEST_F(Dates, ExtremeValuesFitTheOutput) {
  // The largest output: four of the longest values, a format of 80 characters and the
  // clock with values of eleven characters each.
  u16string fmt = u"%yyyy" + u16string(18, u'x') + u"%mm" + u16string(18, u'x') + u"%d" +
                  u16string(18, u'x') + u"%MONTH";
  ASSERT_LE(fmt.size(), 80u);
  std::string text = format(fmt.c_str(), INT32_MIN, INT32_MIN, INT32_MIN, 12, INT32_MIN,
                            INT32_MIN, INT32_MIN);
  EXPECT_LT(text.size(), static_cast<std::size_t>(vek::DATE_NOTE_OUT_SIZE));
  EXPECT_EQ(text.rfind("-2147483648", 0), 0u) << text;
}

TEST_F(Dates, NoteFormatIsKeptInABlockOfEightyCharacters) {
  char16_t out[vek::DATE_NOTE_FORMAT_MAX + 1];
  vek::get_todays_date_note_format(out);
  EXPECT_EQ(narrow(out), "%dd-%Mmm-%yy");
  int blocks = yrltest::live_blocks();
  u16string longer = u"%yyyy" + u16string(90, u'-');
  EXPECT_EQ(vek::set_todays_date_note_format(7, longer.c_str()), 0);
  EXPECT_EQ(yrltest::live_blocks(), blocks + 1);
  vek::get_todays_date_note_format(out);
  EXPECT_EQ(narrow(out), narrow(longer.substr(0, 80).c_str()));
  EXPECT_EQ(narrow(vek::get_todays_date_note_format_low()), narrow(out));
  vek::set_todays_date_note_format(0, u"%Month");
  EXPECT_EQ(yrltest::live_blocks(), blocks + 1);
  EXPECT_EQ(narrow(vek::get_todays_date_note_format_low()), "%Month");
  vek::set_todays_date_note_format(0, nullptr);
  EXPECT_EQ(yrltest::live_blocks(), blocks);
  EXPECT_EQ(narrow(vek::get_todays_date_note_format_low()), "%dd-%Mmm-%yy");
}

// --- Month names ---

TEST_F(Dates, MonthNumbersFromAbbreviations) {
  struct Case {
    const char* text;
    int month;
  } cases[] = {
      {"JAN", 1}, {"feb", 2}, {"Mar", 3}, {"APR", 4},  {"MAY", 5},     {"JUN", 6},
      {"JUL", 7}, {"AUG", 8}, {"SEP", 9}, {"OCT", 10}, {"NOV", 11},    {"DEC", 12},
      {"june", 6}, {"JULY", 7}, {"X", 0}, {"", 0},     {"1JAN", 0},
      // Told by the first letters only, terminators included.
      {"J", 7},   {"M", 5},   {"A", 8},   {"JA", 1},   {"MA", 5},
  };
  for (const Case& c : cases) {
    // A block of the text's own size: a read past its terminator is out of bounds.
    std::size_t size = std::strlen(c.text) + 1;
    std::unique_ptr<char[]> text(new char[size]);
    std::memcpy(text.get(), c.text, size);
    EXPECT_EQ(vek::get_month_int(text.get()), c.month) << c.text;
    std::string upper = c.text;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(std::string(text.get()), upper);
  }
  EXPECT_EQ(vek::get_month_int(nullptr), 0);
}

TEST_F(Dates, MonthNamesAndTheirFallback) {
  for (int month = 1; month <= 12; ++month) {
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%s", vek::get_month_str(month));
    EXPECT_EQ(vek::get_month_int(buffer), month);
    EXPECT_EQ(std::strncmp(vek::get_full_month_str(month), vek::get_month_str(month), 3), 0);
  }
  EXPECT_STREQ(vek::get_full_month_str(9), "SEPTEMBER");
  for (int month : {0, 13, -1})
  {
    EXPECT_STREQ(vek::get_month_str(month), "???");
    EXPECT_STREQ(vek::get_full_month_str(month), "???");
  }
}

// --- The packed record's text ---

TEST_F(Dates, PackedRecordTextRoundTripsFrom1970To2099) {
  int checked = 0;
  for (int year = 1970; year <= 2099; ++year) {
    for (int month = 0; month < 12; ++month) {
      vek::vyn_tm in = {};
      in.tm_year = static_cast<std::int16_t>(year - 1900);
      in.tm_mon = static_cast<std::int8_t>(month);
      in.tm_mday = static_cast<std::int8_t>(1 + (year + month * 3) % 31);
      in.tm_hour = static_cast<std::int8_t>((year + month) % 24);
      in.tm_min = static_cast<std::int8_t>((year * 7 + month) % 60);
      in.tm_sec = static_cast<std::int8_t>((year * 13 + month) % 60);
      char text[vek::VYN_TM_TEXT_SIZE];
      ASSERT_EQ(vek::vyn_tm_to_string(&in, text), 0);
      vek::vyn_tm out;
      std::memset(&out, 0x55, sizeof out);
      ASSERT_EQ(vek::string_to_vyn_tm(text, &out), 1) << text;
      EXPECT_TRUE(out.tm_year == in.tm_year && out.tm_mon == in.tm_mon &&
                  out.tm_mday == in.tm_mday && out.tm_hour == in.tm_hour &&
                  out.tm_min == in.tm_min && out.tm_sec == in.tm_sec)
          << text;
      EXPECT_EQ(out.tm_zone, vek::VYN_TM_NO_ZONE);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 130 * 12);
}

TEST_F(Dates, PackedRecordTextForm) {
  vek::vyn_tm tm;
  struct tm t = fields(2004, 3, 5, 7, 3, 9);
  vek::tm_to_vyn_tm(&t, &tm);
  char text[vek::VYN_TM_TEXT_SIZE];
  vek::vyn_tm_to_string(&tm, text);
  EXPECT_STREQ(text, "5-Mar-104 07:03:09");
  tm.tm_year = 99;
  tm.tm_mon = 12;
  vek::vyn_tm_to_string(&tm, text);
  EXPECT_STREQ(text, "5-?\?\?-99 07:03:09");
  EXPECT_EQ(vek::vyn_tm_to_string(nullptr, text), -1);
}

TEST_F(Dates, PackedRecordTextThatDoesNotRead) {
  vek::vyn_tm tm = {};
  ASSERT_EQ(vek::string_to_vyn_tm("1-Jan-70 00:00:00", &tm), 1);
  EXPECT_EQ(tm.tm_mon, 0);
  EXPECT_EQ(tm.tm_year, 70);
  const vek::vyn_tm before = tm;
  for (const char* text : {"1-Xyz-70 00:00:00", "1-Jan-70 00:00", "", "1-Q-70 1:2:3",
                           "x1-Jan-70 00:00:00"}) {
    EXPECT_EQ(vek::string_to_vyn_tm(text, &tm), 0) << text;
    EXPECT_EQ(std::memcmp(&tm, &before, sizeof tm), 0) << text;
  }
  EXPECT_EQ(vek::string_to_vyn_tm(nullptr, &tm), 0);
  EXPECT_EQ(vek::string_to_vyn_tm("1-Jan-70 00:00:00", nullptr), 0);
}

// --- Arithmetic time ---

TEST_F(Dates, ArithmeticTimeExamples) {
  struct tm t = fields(2000, 3, 1);
  EXPECT_EQ(vek::vyns_mktime_(&t), 951868800);
  t = fields(1969, 12, 31, 23);
  EXPECT_EQ(vek::vyns_mktime_(&t), 0);
  EXPECT_EQ(vek::vyns_mktime_(nullptr), 0);

  EXPECT_EQ(vek::tm_is_leap_year(1900), 0);
  EXPECT_EQ(vek::tm_is_leap_year(2000), 1);
  EXPECT_EQ(vek::tm_is_leap_year(2004), 1);
  EXPECT_EQ(vek::tm_is_leap_year(2100), 0);
  EXPECT_EQ(vek::tm_get_yday(2000, 2, 1), 60);
  EXPECT_EQ(vek::tm_get_yday(1999, 2, 1), 59);
  EXPECT_EQ(vek::tm_get_yday(2000, 11, 31), 365);
  EXPECT_EQ(vek::__get_yday_(2001, 0, 1), 0);
}

TEST_F(Dates, GmtArithmeticAgreesWithTimegm) {
  for (const char* zone : kZones) {
    ZoneScope scope(zone);
    Instants instants;
    for (int i = 0; i < 20000; ++i) {
      struct tm t = gmt(instants.next());
      t.tm_isdst = i % 3 - 1;  // the flag changes nothing in GMT
      struct tm reference = t;
      time_t expected = timegm(&reference);
      ASSERT_EQ(vek::vyns_mktime_(&t), expected) << zone;
      ASSERT_EQ(vek::vyns_timegm(&t), expected) << zone;
      EXPECT_EQ(t.tm_isdst, 0);
    }
  }
}

TEST_F(Dates, GmtArithmeticCarriesFieldsAsTimegm) {
  struct Case {
    int year, mon, mday, hour, min, sec;
  } cases[] = {
      {104, 14, 1, 0, 0, 0},  {104, -3, 1, 0, 0, 0},   {104, 1, 30, 0, 0, 0},
      {104, 0, 0, 25, 61, -5}, {100, 2, -400, -30, 0, 0}, {200, 11, 31, 23, 59, 60},
      {70, 0, 1, 0, 0, 0},    {69, 11, 31, 23, 59, 59}, {0, 0, 1, 0, 0, 0},
      {-100, 6, 15, 12, 0, 0},
  };
  for (const Case& c : cases) {
    struct tm t = fields(c.year + 1900, c.mon + 1, c.mday, c.hour, c.min, c.sec);
    struct tm reference = t;
    time_t expected = timegm(&reference);
    EXPECT_EQ(vek::vyns_timegm(&t), expected) << c.year << " " << c.mon << " " << c.mday;
    if (c.year >= 70) {
      EXPECT_EQ(vek::vyns_mktime_(&t), expected);
    }
  }
}

// A summer date with the daylight flag set: the round through mktime was an hour off.
TEST_F(Dates, TimegmOfASummerDateWithTheFlagSet) {
  ZoneScope scope(kZones[0]);
  struct tm t = fields(2026, 7, 1, 12, 0, 0, 1);
  EXPECT_EQ(vek::vyns_timegm(&t), 1782907200);
}

struct tm local_fields(const ChangeDay& day, int hour, int minute, int isdst) {
  return fields(day.year, day.month, day.day, hour, minute, 0, isdst);
}

::testing::AssertionResult matches_mktime(struct tm t) {
  struct tm reference = t;
  time_t expected = mktime(&reference);
  time_t got = vek::vyns_mktime(&t);
  if (got == expected && t.tm_isdst == reference.tm_isdst)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << reference.tm_year + 1900 << "-" << reference.tm_mon + 1 << "-" << reference.tm_mday
         << " " << reference.tm_hour << ":" << reference.tm_min << ": " << got << " flag "
         << t.tm_isdst << ", mktime " << expected << " flag " << reference.tm_isdst;
}

TEST_F(Dates, LocalArithmeticAgreesWithMktimeAtRandomInstants) {
  for (const char* zone : kZones) {
    ZoneScope scope(zone);
    Instants instants;
    for (int i = 0; i < 20000; ++i) {
      time_t t = instants.next();
      struct tm fields = local(t);
      fields.tm_isdst = i % 3 - 1;
      ASSERT_TRUE(matches_mktime(fields)) << zone;
      // The same date again, an hour on: served from the date's cache.
      fields.tm_hour = (fields.tm_hour + 1) % 24;
      ASSERT_TRUE(matches_mktime(fields)) << zone;
    }
  }
}

// On a day the zone moves its clocks no one offset holds: every hour of it, in order,
// with each flag, after the day's midnight has been converted.
TEST_F(Dates, LocalArithmeticAgreesWithMktimeOnChangeDays) {
  for (const char* zone : kZones) {
    ZoneScope scope(zone);
    for (const ChangeDay& day : kChangeDays) {
      for (int isdst = -1; isdst <= 1; ++isdst) {
        ASSERT_TRUE(matches_mktime(local_fields(day, 0, 0, isdst)));
        for (int hour = 0; hour < 24; ++hour)
          for (int minute : {0, 30, 59})
            EXPECT_TRUE(matches_mktime(local_fields(day, hour, minute, isdst))) << zone;
      }
    }
  }
}

// A zone that moves its clocks at midnight: the days around each change, every hour, each
// day's last hour first.
TEST_F(Dates, LocalArithmeticAgreesWithMktimeWhenClocksMoveAtMidnight) {
  ZoneScope scope("AAA3BBB,M3.5.0/0,M10.5.0/0");
  for (int day : {28, 29, 30}) {
    for (int month : {3, 10}) {
      int mday = month == 3 ? day : day - 4;  // 25 October 2026 is the last Sunday
      ChangeDay date{2026, month, mday};
      for (int isdst = -1; isdst <= 1; ++isdst) {
        ASSERT_TRUE(matches_mktime(local_fields(date, 23, 0, isdst)));
        for (int hour = 0; hour < 24; ++hour)
          for (int minute : {0, 30})
            EXPECT_TRUE(matches_mktime(local_fields(date, hour, minute, isdst)));
      }
    }
  }
}

TEST_F(Dates, LocalArithmeticFollowsAChangeOfZone) {
  struct tm fields = local_fields({2026, 7, 1}, 12, 0, -1);
  time_t first, second;
  {
    ZoneScope scope(kZones[0]);
    first = vek::vyns_mktime(&fields);
  }
  {
    ZoneScope scope(kZones[1]);
    fields.tm_isdst = -1;
    second = vek::vyns_mktime(&fields);
  }
  EXPECT_EQ(second - first, 6 * 3600);
}

TEST_F(Dates, PackedRecordSecondsAddTheZone) {
  vek::vyn_tm tm = {};
  tm.tm_year = 100;
  tm.tm_mon = 2;
  tm.tm_mday = 1;
  tm.tm_zone = vek::VYN_TM_NO_ZONE;
  EXPECT_EQ(vek::vyn_mktime(&tm), 951868800);
  tm.tm_zone = -90;
  EXPECT_EQ(vek::vyn_mktime_(&tm), 951868800 - 90 * 60);
  EXPECT_EQ(vek::vyn_mktime(nullptr), -1);
}

TEST_F(Dates, RecordCopies) {
  struct tm t = fields(2004, 3, 5, 7, 8, 9, 1);
  t.tm_wday = 5;
  vek::vyn_tm packed;
  ASSERT_EQ(vek::tm_to_vyn_tm(&t, &packed), 1);
  EXPECT_EQ(packed.tm_zone, vek::VYN_TM_NO_ZONE);
  EXPECT_EQ(packed.tm_isdst, 1);
  struct tm back;
  ASSERT_EQ(vek::vyn_tm_to_tm(&packed, &back), 1);
  EXPECT_EQ(back.tm_wday, -1);
  EXPECT_EQ(back.tm_yday, -1);
  EXPECT_EQ(timegm(&back), timegm(&t));

  vek::ptime p;
  ASSERT_EQ(vek::tm_to_ptime_(nullptr, &p, 1), 1);
  EXPECT_EQ(p.tm_year, 0);
  EXPECT_EQ(p.tm_is_local, 1);
  vek::ptime q;
  EXPECT_EQ(vek::ptime_copy(&p, &q), 1);
  EXPECT_EQ(std::memcmp(&p, &q, sizeof p), 0);
  EXPECT_EQ(vek::ptime_copy(nullptr, &q), 0);
  EXPECT_EQ(vek::tm_to_vyn_tm(nullptr, &packed), 0);
}

TEST_F(Dates, SetIsdstFillsWhatMktimeFills) {
  ZoneScope scope(kZones[0]);
  for (int month : {0, 6}) {
    struct tm t = local_fields({2026, month + 1, 15}, 12, 0, 0);
    struct tm reference = t;
    reference.tm_isdst = -1;
    time_t expected = mktime(&reference);
    EXPECT_EQ(vek::set_isdst(&t, 1), expected);
    EXPECT_EQ(t.tm_isdst, reference.tm_isdst);
    EXPECT_EQ(t.tm_wday, reference.tm_wday);
    EXPECT_EQ(t.tm_yday, reference.tm_yday);
    struct tm g = local_fields({2026, month + 1, 15}, 12, 0, 1);
    struct tm g_reference = g;
    EXPECT_EQ(vek::set_isdst(&g, 0), timegm(&g_reference));
    EXPECT_EQ(g.tm_isdst, 0);
    EXPECT_EQ(g.tm_wday, g_reference.tm_wday);
    EXPECT_EQ(g.tm_yday, g_reference.tm_yday);
  }
  EXPECT_EQ(vek::set_isdst(nullptr, 1), -1);
}

// --- The portable record ---

TEST_F(Dates, PtimeConversionsAgreeWithTheCLibrary) {
  for (const char* zone : kZones) {
    ZoneScope scope(zone);
    Instants instants;
    for (int i = 0; i < 20000; ++i) {
      time_t t = instants.next();
      vek::ptime in_gmt = to_ptime(gmt(t), 0);
      vek::ptime out;
      ASSERT_EQ(vek::ptime_convert_to_local(&in_gmt, &out), 1);
      ASSERT_TRUE(same_fields(out, local(t), 1)) << zone << " " << t;
      vek::ptime in_local = to_ptime(local(t), 1);
      ASSERT_EQ(vek::ptime_convert_to_gmt(&in_local, &out), 1);
      // A local time the clocks pass twice names either instant.
      struct tm again = local(t + 3600), before = local(t - 3600);
      bool twice = same_fields(to_ptime(again, 1), local(t), 1) ||
                   same_fields(to_ptime(before, 1), local(t), 1);
      if (!twice) {
        ASSERT_TRUE(same_fields(out, gmt(t), 0)) << zone << " " << t;
      }
    }
  }
}

TEST_F(Dates, PtimeConversionsOnChangeDays) {
  for (const char* zone : kZones) {
    ZoneScope scope(zone);
    for (const ChangeDay& day : kChangeDays) {
      struct tm midnight = local_fields(day, 0, 0, -1);
      time_t start = mktime(&midnight);
      for (time_t t = start - 3600; t <= start + 26 * 3600; t += 1800) {
        vek::ptime in_gmt = to_ptime(gmt(t), 0);
        vek::ptime out;
        ASSERT_EQ(vek::ptime_convert_to_local(&in_gmt, &out), 1);
        EXPECT_TRUE(same_fields(out, local(t), 1)) << zone << " " << t;
        vek::ptime in_local = to_ptime(local(t), 1);
        ASSERT_EQ(vek::ptime_convert_to_gmt(&in_local, &out), 1);
        // Back to local time, the instant found shows the fields converted.
        struct tm found;
        vek::ptime_to_tm_(&out, &found, 1);
        time_t back = timegm(&found);
        EXPECT_TRUE(same_fields(in_local, local(back), 1)) << zone << " " << t;
        bool twice = same_fields(in_local, local(t + 3600), 1) ||
                     same_fields(in_local, local(t - 3600), 1);
        if (!twice) {
          EXPECT_EQ(back, t) << zone;
        }
      }
    }
  }
}

TEST_F(Dates, PtimeConversionEdges) {
  ZoneScope scope(kZones[1]);
  vek::ptime start = {0, 0, 0, 1, 0, 70, 0};
  vek::ptime out;
  ASSERT_EQ(vek::ptime_convert_to_local(&start, &out), 1);
  EXPECT_TRUE(same_fields(out, gmt(0), 1));
  vek::ptime old = {1, 2, 3, 4, 5, 60, 1};
  ASSERT_EQ(vek::ptime_convert_to_gmt(&old, &out), 1);
  EXPECT_EQ(out.tm_year, 60);
  EXPECT_EQ(out.tm_sec, 1);
  EXPECT_EQ(out.tm_is_local, 0);
  // Already of the target's flag: copied.
  vek::ptime already = {1, 2, 3, 4, 5, 120, 1};
  ASSERT_EQ(vek::ptime_convert_to_local(&already, &out), 1);
  EXPECT_EQ(std::memcmp(&already, &out, sizeof out), 0);
  // In place.
  vek::ptime in_place = to_ptime(gmt(1782907200), 0);
  ASSERT_EQ(vek::ptime_convert_to_local(&in_place, &in_place), 1);
  EXPECT_TRUE(same_fields(in_place, local(1782907200), 1));
  EXPECT_EQ(vek::ptime_convert(3, &start, &out), 0);
  EXPECT_EQ(vek::ptime_convert(1, nullptr, &out), 0);
  EXPECT_EQ(vek::ptime_convert(2, &start, nullptr), 0);
}

// On the first two days of 1970 a time is converted as the C library has it whenever it
// and its conversion both lie in 1970 (and at or after the first second), and then
// converts back to where it started; when the other side would fall before that, the
// time is only relabelled.
TEST_F(Dates, PtimeConversionsOnTheFirstDaysOf1970) {
  const char* zones[] = {kZones[0], kZones[1], kZones[2], "JST-9", "HST10"};
  for (const char* zone : zones) {
    ZoneScope scope(zone);
    for (time_t t = -14 * 3600; t < 2 * 86400; t += 1800) {
      SCOPED_TRACE(std::string(zone) + " " + std::to_string(t));
      struct tm g = gmt(t), l = local(t);
      bool converts = t >= 0 && g.tm_year >= 70 && l.tm_year >= 70;
      for (int to_local : {1, 0}) {
        const struct tm& from = to_local ? g : l;
        const struct tm& to = to_local ? l : g;
        if (from.tm_year < 70) continue;
        vek::ptime in = to_ptime(from, 1 - to_local);
        vek::ptime out, back;
        int there = to_local ? vek::PTIME_TO_LOCAL : vek::PTIME_TO_GMT;
        int home = to_local ? vek::PTIME_TO_GMT : vek::PTIME_TO_LOCAL;
        ASSERT_EQ(vek::ptime_convert(there, &in, &out), 1);
        EXPECT_TRUE(same_fields(out, converts ? to : from, to_local));
        if (!converts) continue;
        ASSERT_EQ(vek::ptime_convert(home, &out, &back), 1);
        EXPECT_TRUE(same_fields(back, from, 1 - to_local));
      }
    }
  }
  // The case that was 5 hours off: 2 January 1970 00:00 GMT in New York and back.
  ZoneScope scope(kZones[1]);
  vek::ptime second_day = {0, 0, 0, 2, 0, 70, 0};
  vek::ptime local_time, back;
  ASSERT_EQ(vek::ptime_convert_to_local(&second_day, &local_time), 1);
  EXPECT_EQ(local_time.tm_mday, 1);
  EXPECT_EQ(local_time.tm_hour, 19);
  ASSERT_EQ(vek::ptime_convert_to_gmt(&local_time, &back), 1);
  EXPECT_EQ(std::memcmp(&back, &second_day, sizeof back), 0);
}

TEST_F(Dates, FileTimesBecomeGmtRecords) {
  Instants instants;
  for (int i = 0; i < 1000; ++i) {
    time_t t = instants.next();
    vek::ptime p;
    ASSERT_EQ(vek::mavrel_gmtime(&p, t), 1);
    ASSERT_TRUE(same_fields(p, gmt(t), 0));
    EXPECT_EQ(vek::ptime_to_time_t_(&p), t);
  }
  EXPECT_EQ(vek::mavrel_gmtime(nullptr, 0), 0);
  EXPECT_EQ(vek::ptime_to_time_t_(nullptr), -1);
  time_t value = 86400 * 365;
  struct tm* broken = vek::vyns_gmtime(&value);
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(broken->tm_year, 71);
  EXPECT_EQ(broken->tm_yday, 0);
  EXPECT_EQ(vek::vyns_gmtime(nullptr), nullptr);
  EXPECT_EQ(vek::vyns_difftime(10, 4), 6.0);
  EXPECT_EQ(vek::addtime(10, 4), 14);
}

TEST_F(Dates, PtimeComparesAcrossFlags) {
  ZoneScope scope(kZones[0]);
  const time_t t = 1782907200;  // 1 July 2026 12:00 GMT, 14:00 in summer time
  vek::ptime g = to_ptime(gmt(t), 0);
  vek::ptime l = to_ptime(local(t), 1);
  EXPECT_EQ(vek::ptime_compare(&g, &l), 0);
  EXPECT_EQ(vek::ptime_compare(&l, &g), 0);
  EXPECT_EQ(vek::ptime_diff(&l, &g), 0);
  vek::ptime later = to_ptime(local(t + 90), 1);
  EXPECT_EQ(vek::ptime_diff(&later, &g), 90);
  EXPECT_EQ(vek::ptime_diff(&g, &later), -90);
  EXPECT_EQ(vek::ptime_compare(&later, &g), 1);  // the minutes differ first
  vek::ptime sooner = to_ptime(local(t - 30), 1);
  EXPECT_EQ(vek::ptime_compare(&sooner, &g), -1);
  sooner = to_ptime(local(t + 30), 1);
  EXPECT_EQ(vek::ptime_compare(&sooner, &g), 30);
  vek::ptime next_year = g;
  next_year.tm_year += 1;
  next_year.tm_mon = 0;
  EXPECT_EQ(vek::ptime_compare(&next_year, &g), 1);
  EXPECT_EQ(vek::ptime_compare_(&g, &next_year), -1);
  vek::ptime extreme = g;
  extreme.tm_year = INT32_MIN;
  vek::ptime other = g;
  other.tm_year = INT32_MAX;
  EXPECT_LT(vek::ptime_compare_(&extreme, &other), 0);
  EXPECT_EQ(vek::ptime_diff(nullptr, &g), 0);
}

TEST_F(Dates, PtimeCompareReportsBadArguments) {
  vek::dbg_set_allow_print(1);
  vek::ptime g = {0, 0, 0, 5, 2, 104, 0};
  vek::ptime l = g;
  l.tm_is_local = 1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::ptime_compare(nullptr, &g), 0);
  EXPECT_EQ(vek::ptime_compare_(&g, &l), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\n*** FATAL ERROR in ptime_compare : ***\n\tbad parameters\n"
            "\n*** FATAL ERROR in ptime_compare_ : ***\n"
            "\ttm_is_local should be the same for time1 and time2\n");
}

// --- Now, on the test's clock ---

constexpr std::int64_t kMarch5th2004 = 1078489807000LL;  // 2004-03-05 12:30:07 GMT

TEST_F(Dates, DateStringsOfNow) {
  struct Case {
    const char* zone;
    const char* ctime_text;
    const char* second_string;
    const char* short_string;
  } cases[] = {
      {"UTC0", "Fri Mar 05 12:30:07 2004\n", "05-Mar-04 12:30:07", "040305.123007"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", "Fri Mar 05 13:30:07 2004\n", "05-Mar-04 13:30:07",
       "040305.133007"},
  };
  w32::clock_testing_start(kMarch5th2004);
  for (const Case& c : cases) {
    ZoneScope scope(c.zone);
    char text[vek::DATE_STRING_SIZE];
    EXPECT_STREQ(vek::date_string_low(text), c.ctime_text);
    char16_t wide[vek::DATE_SECOND_STRING_SIZE];
    EXPECT_EQ(vek::date_second_string(wide), 0);
    EXPECT_EQ(narrow(wide), c.second_string);
    EXPECT_EQ(vek::date_second_string_short(wide), 0);
    EXPECT_EQ(narrow(wide), c.short_string);
    int year = 0, month = 0, day = 0;
    EXPECT_EQ(vek::get_num_date(&year, &month, &day), 0);
    EXPECT_EQ(year * 10000 + month * 100 + day, 20040305);
    EXPECT_EQ(vek::get_num_date(nullptr, nullptr, nullptr), 0);
  }
  // A two-digit day keeps its digits.
  w32::clock_testing_start(kMarch5th2004 + 20 * 86400000LL);
  ZoneScope scope("UTC0");
  char text[vek::DATE_STRING_SIZE];
  EXPECT_STREQ(vek::date_string_low(text), "Thu Mar 25 12:30:07 2004\n");
  EXPECT_EQ(vek::date_string_low(nullptr), nullptr);
}

TEST_F(Dates, CurrentRecordsFollowTheClockAndTheOffset) {
  ZoneScope scope(kZones[0]);
  w32::clock_testing_start(kMarch5th2004);
  vek::ptime p;
  ASSERT_EQ(vek::ptime_current_gmt(&p), &p);
  EXPECT_TRUE(same_fields(p, gmt(kMarch5th2004 / 1000), 0));
  vek::ptime* shared = vek::ptime_current_local(nullptr);
  ASSERT_NE(shared, nullptr);
  EXPECT_TRUE(same_fields(*shared, local(kMarch5th2004 / 1000), 1));
  EXPECT_NE(vek::ptime_current_gmt(nullptr), shared);
  EXPECT_EQ(vek::ptime_set_offset(-60), 0);
  vek::ptime_current_gmt(&p);
  EXPECT_TRUE(same_fields(p, gmt(kMarch5th2004 / 1000 - 60), 0));
  vek::ptime_set_offset(static_cast<int>(-kMarch5th2004 / 1000));
  EXPECT_EQ(vek::ptime_current_gmt(&p), nullptr);

  vek::vyn_tm packed;
  time_t value = 0;
  ASSERT_EQ(vek::tm_get_local_tm(&packed, &value), 1);
  EXPECT_EQ(value, kMarch5th2004 / 1000);
  EXPECT_EQ(packed.tm_hour, 13);
  value = 86400;
  ASSERT_EQ(vek::tm_get_local_tm(&packed, &value), 1);
  EXPECT_EQ(packed.tm_mday, 2);
  EXPECT_EQ(packed.tm_year, 70);
  ASSERT_EQ(vek::tm_get_local_tm(&packed, nullptr), 1);
  EXPECT_EQ(packed.tm_min, 30);
  EXPECT_EQ(vek::tm_get_local_tm(nullptr, nullptr), 0);
}

}  // namespace
