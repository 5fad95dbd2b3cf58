#include "actions/origin_list.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "engine/text.h"

namespace {

uint64_t TimeValue(FileTime time) { return uint64_t{time.high} << 32 | time.low; }

// One field up to the next tab; false when there is none.
bool TakeField(std::string& rest, std::string* field) {
  size_t tab = rest.find('\t');
  if (tab == std::string::npos) return false;
  *field = rest.substr(0, tab);
  rest.erase(0, tab + 1);
  return true;
}

bool ParseNumber(const std::string& text, int base, uint64_t* value) {
  if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return false;
  char* end = nullptr;
  errno = 0;
  *value = strtoull(text.c_str(), &end, base);
  return *end == '\0' && errno != ERANGE && (base == 16 || text.find_first_not_of("0123456789") == std::string::npos);
}

bool ParseLine(std::string rest, OriginLine* line) {
  std::string size, time;
  uint64_t writeTime = 0;
  if (!TakeField(rest, &size) || !TakeField(rest, &time) || !TakeField(rest, &line->name)) return false;
  line->path = rest;
  if (!ParseNumber(size, 10, &line->size) || time.size() != 16 || !ParseNumber(time, 16, &writeTime)) return false;
  line->lastWrite = FileTime{static_cast<uint32_t>(writeTime), static_cast<uint32_t>(writeTime >> 32)};
  return !line->name.empty() && !line->path.empty() && line->name.find_first_of("\\/") == std::string::npos;
}

}  // namespace

std::string FormatOriginLine(const OriginLine& line) {
  char numbers[64];
  snprintf(numbers, sizeof numbers, "%" PRIu64 "\t%016" PRIX64 "\t", line.size, TimeValue(line.lastWrite));
  return numbers + line.name + "\t" + line.path + "\r\n";
}

bool ParseOriginList(const std::string& text, std::vector<OriginLine>* lines, int* unreadable) {
  lines->clear();
  *unreadable = 0;
  size_t headerLength = strlen(OriginListHeader);
  if (text.compare(0, headerLength, OriginListHeader) != 0) return false;
  std::unordered_map<std::string, size_t> lineOfName;
  for (size_t at = headerLength; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) break;  // cut short: its file never moved
    std::string row = text.substr(at, end - at);
    at = end + 1;
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (row.empty()) continue;
    OriginLine line;
    if (!ParseLine(row, &line)) {
      ++*unreadable;
      continue;
    }
    std::string key = line.name;
    for (char& c : key) c = AsciiLower(c);
    auto known = lineOfName.emplace(key, lines->size());
    if (known.second) lines->push_back(line);
    else (*lines)[known.first->second] = line;
  }
  return true;
}
