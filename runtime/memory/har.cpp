// Segmented arrays. The handle is an outer growable array of segment handles; every
// segment but the last holds exactly the growable-array limit for the element size, so
// element i is in segment i / limit and full segments never move.
#include "runtime/memory/har.h"

#include <cstring>

#include "runtime/memory/xar.h"

namespace vek {

namespace {

// Steps of new segments are cut so that one growth step stays within this many bytes.
constexpr int HAR_MAX_STEP_BYTES = 0x30000;

void** segments_of(const void* p_har) {
  void** segments;
  std::memcpy(&segments, p_har, sizeof segments);
  return segments;
}

struct SegmentShape {
  int size;   // element size
  int step;   // extension step of new segments
  int limit;  // elements of a full segment
};

// The number of segments of an array that must exist (a null handle ends the process
// through the growable array's check).
int segment_count(const void* p_har) {
  int count = 0;
  xar_params(p_har, nullptr, nullptr, &count, nullptr);
  return count;
}

SegmentShape shape_of(void** segments) {
  SegmentShape shape;
  xar_params(&segments[0], &shape.size, &shape.step, nullptr, &shape.limit);
  return shape;
}

}  // namespace

void* har_alloc(int size, int step) {
  if (step < 1) step = 1;
  if (size > 0 && static_cast<long>(step) * size > HAR_MAX_STEP_BYTES) {
    step = HAR_MAX_STEP_BYTES / size;
  }
  void* segment = xar_alloc(0, size, step);
  void* outer = xar_alloc(1, static_cast<int>(sizeof(void*)), 2);
  std::memcpy(outer, &segment, sizeof segment);
  return outer;
}

void* har_access(const void* p_har, int index, int* segment, int* offset) {
  if (segment) *segment = -1;
  if (offset) *offset = -1;
  const int n_segments = xar_count(p_har);
  if (index < 0 || n_segments == 0) return nullptr;
  void** segments = segments_of(p_har);
  const SegmentShape shape = shape_of(segments);
  int in_segment = 0;
  int at = index;
  if (index >= xar_count(&segments[0])) {
    const int last = n_segments - 1;
    if (static_cast<long>(index) >=
        static_cast<long>(shape.limit) * last + xar_count(&segments[last])) {
      return nullptr;
    }
    in_segment = index / shape.limit;
    at = index - in_segment * shape.limit;
  }
  if (segment) *segment = in_segment;
  if (offset) *offset = at;
  return static_cast<char*>(segments[in_segment]) + static_cast<std::size_t>(at) * shape.size;
}

int har_total(const void* p_har) {
  const int n_segments = xar_count(p_har);
  void** segments = segments_of(p_har);
  int total = 0;
  for (int i = 0; i < n_segments; ++i) total += xar_count(&segments[i]);
  return total;
}

void* har_last(const void* p_har) {
  const int n_segments = xar_count(p_har);
  if (n_segments == 0) return nullptr;
  return xar_last(&segments_of(p_har)[n_segments - 1]);
}

void* har_inflate(void* p_har) { return har_append(p_har, 1, nullptr); }

void* har_append(void* p_har, int n, const void* source) {
  const char* from = static_cast<const char*>(source);
  void* first = nullptr;
  while (n > 0) {
    // The outer array moves when it grows: its elements are read afresh every round.
    const int n_segments = segment_count(p_har);
    void** segments = segments_of(p_har);
    const SegmentShape shape = shape_of(segments);
    void** last = &segments[n_segments - 1];
    const int room = shape.limit - xar_count(last);
    const int take = room < n ? room : n;
    if (take > 0) {
      void* added = from ? xar_append(last, take, from) : xar_extend(last, take);
      if (!first) first = added;
    }
    if (room < n) {
      void* segment = xar_alloc(0, shape.size, shape.step);
      xar_append(p_har, 1, &segment);
    }
    n -= take;
    if (from) from += static_cast<std::size_t>(take) * shape.size;
  }
  return first;
}

int har_resize(void* p_har, int total) {
  const int current = har_total(p_har);
  if (total > current) {
    har_append(p_har, total - current, nullptr);
  } else if (total < current) {
    har_shrink(p_har, current - total);
  }
  return 0;
}

void har_shrink(void* p_har, int n) {
  while (n > 0) {
    const int n_segments = segment_count(p_har);
    void** last = &segments_of(p_har)[n_segments - 1];
    const int count = xar_count(last);
    if (n_segments > 1 && n >= count) {
      xar_free(last);
      xar_shrink(p_har, 1);
      n -= count;
    } else {
      // Segment 0 is only ever emptied; asking for more than it holds is the growable
      // array's invalid request.
      xar_shrink(last, n);
      n = 0;
    }
  }
}

void har_free(void* p_har) {
  const int n_segments = xar_count(p_har);
  void** segments = segments_of(p_har);
  for (int i = 0; i < n_segments; ++i) xar_free(&segments[i]);
  xar_free(p_har);
}

}  // namespace vek
