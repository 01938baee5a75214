// Segmented arrays. The handle is an outer growable array of segment handles; every
// segment but the last holds exactly the growable-array limit for the element size, so
// element i is in segment i / limit and full segments never move.
#include "runtime/memory/har.h"

#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
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

// Element address from its segment and offset.
char* element_at(void** segments, int segment, int offset, int size) {
  return static_cast<char*>(segments[segment]) + static_cast<std::size_t>(offset) * size;
}

// Copies count elements from index from down to index to (to < from), run by run so
// that no copy crosses the end of a segment.
void move_down(void* p_har, int to, int from, int count) {
  void** segments = segments_of(p_har);
  const SegmentShape shape = shape_of(segments);
  while (count > 0) {
    const int from_segment = from / shape.limit;
    const int from_offset = from % shape.limit;
    const int to_segment = to / shape.limit;
    const int to_offset = to % shape.limit;
    int run = xar_count(&segments[from_segment]) - from_offset;
    if (xar_count(&segments[to_segment]) - to_offset < run)
      run = xar_count(&segments[to_segment]) - to_offset;
    if (count < run) run = count;
    std::memmove(element_at(segments, to_segment, to_offset, shape.size),
                 element_at(segments, from_segment, from_offset, shape.size),
                 static_cast<std::size_t>(run) * shape.size);
    to += run;
    from += run;
    count -= run;
  }
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

void har_remove(void* p_har, int index, int n) {
  const int total = har_total(p_har);
  // The range is checked before any segment is touched.
  if (index < 0 || n < 0 || static_cast<long long>(index) + n > total) {
    dbg_err_crash("har_remove", "Wrong index(%d) or count(%d)", index, n);
    return;
  }
  if (n == 0) return;
  if (segment_count(p_har) == 1) {
    xar_remove(&segments_of(p_har)[0], index, n);
    return;
  }
  move_down(p_har, index, index + n, total - index - n);
  har_shrink(p_har, n);
}

void har_insert(void* p_har, int index, const void* element) {
  const int total = har_total(p_har);
  if (index < 0 || index > total) {
    dbg_err_crash("har_insert", "Wrong index(%d)\n", index);
    return;
  }
  const int size = shape_of(segments_of(p_har)).size;
  // The element may lie inside the array, which moves below it.
  void* copy = getmem(static_cast<std::size_t>(size));
  std::memcpy(copy, element, static_cast<std::size_t>(size));
  har_append(p_har, 1, copy);
  if (index < total) {
    void** segments = segments_of(p_har);
    const SegmentShape shape = shape_of(segments);
    const int first = index / shape.limit;
    for (int s = segment_count(p_har) - 1; s >= first; --s) {
      const int start = s == first ? index % shape.limit : 0;
      const int count = xar_count(&segments[s]);
      if (count - 1 > start)
        std::memmove(element_at(segments, s, start + 1, shape.size),
                     element_at(segments, s, start, shape.size),
                     static_cast<std::size_t>(count - 1 - start) * shape.size);
      if (s > first)
        std::memcpy(element_at(segments, s, 0, shape.size),
                    element_at(segments, s - 1, shape.limit - 1, shape.size),
                    static_cast<std::size_t>(shape.size));
    }
    std::memcpy(har_access(p_har, index, nullptr, nullptr), copy,
                static_cast<std::size_t>(size));
  }
  rlsmem(copy);
}

void har_ptr_free(void* p_har, XarReleaseFunc release) {
  const int n_segments = xar_count(p_har);
  void** segments = segments_of(p_har);
  for (int i = 0; i < n_segments; ++i) xar_ptr_free(&segments[i], release);
  xar_free(p_har);
}

void har_pblock_free(void* p_har) { har_ptr_free(p_har, relmem); }

namespace {

// A new outer array (step 1) whose segments are copy_segment's copies.
template <typename CopySegment>
void* copy_outer(void** source, CopySegment copy_segment) {
  const int n_segments = xar_count(&source);
  void** outer = static_cast<void**>(xar_alloc(n_segments, static_cast<int>(sizeof(void*)), 1));
  for (int i = 0; i < n_segments; ++i) outer[i] = copy_segment(source[i]);
  return outer;
}

}  // namespace

void* har_copy(const void* p_source, void* p_destination) {
  void** source = p_source != nullptr ? segments_of(p_source) : nullptr;
  void* copy = nullptr;
  if (source != nullptr)
    copy = copy_outer(source, [](void* segment) { return xar_cpy(&segment, nullptr); });
  if (p_destination != nullptr) std::memcpy(p_destination, &copy, sizeof copy);
  return copy;
}

void* har_ptr_copy(const void* source, XarCopyFunc copy) {
  if (source == nullptr) return nullptr;
  return copy_outer(static_cast<void**>(const_cast<void*>(source)),
                    [copy](void* segment) { return xar_ptr_copy(segment, copy); });
}

void* har_append_har(void* p_destination, const void* p_source) {
  if (p_source == nullptr || segments_of(p_source) == nullptr) return nullptr;
  if (segments_of(p_destination) == nullptr) return har_copy(p_source, p_destination);
  // Appending an array to itself reads from a copy, since its last segment moves.
  void* own_copy = nullptr;
  if (segments_of(p_destination) == segments_of(p_source))
    p_source = (own_copy = har_copy(p_source, nullptr), &own_copy);
  const int n_segments = segment_count(p_source);
  for (int i = 0; i < n_segments; ++i) {
    void* segment = segments_of(p_source)[i];
    har_append(p_destination, xar_count(&segment), segment);
  }
  if (own_copy != nullptr) har_free(&own_copy);
  return segments_of(p_destination);
}

void* har_seg_to_xar(const void* p_har, int index, int n, int step) {
  if ((n == 0 && step == 0) || p_har == nullptr || segments_of(p_har) == nullptr || n < 0)
    return nullptr;
  void** segments = segments_of(p_har);
  const SegmentShape shape = shape_of(segments);
  const int total = har_total(p_har);
  // The whole range must lie inside the array, not only its start.
  if (n > shape.limit || index < 0 || index >= total ||
      static_cast<long long>(index) + n > total)
    return nullptr;
  char* out = static_cast<char*>(xar_alloc(n, shape.size, step != 0 ? step : n));
  int done = 0;
  while (done < n) {
    int segment = 0;
    int offset = 0;
    const char* from = static_cast<const char*>(har_access(p_har, index + done, &segment, &offset));
    int run = xar_count(&segments[segment]) - offset;
    if (n - done < run) run = n - done;
    std::memcpy(out + static_cast<std::size_t>(done) * shape.size, from,
                static_cast<std::size_t>(run) * shape.size);
    done += run;
  }
  return out;
}

}  // namespace vek
